"""The game's sound effects, synthesised. Each function returns mono samples
in -1..1 at 22,050 Hz. The four loops are built to be periodic: every
oscillator runs a whole number of cycles over the loop and the noise is
filtered circularly."""
import numpy as np

from synth import (SR, n_of, t_of, Noise, sine, saw, square, pulse, lp, hp, bp, sweep, circular_filter,
                   env_exp, adsr, fade, normalize, place, soft_clip, midi_hz, press, remove_dc)


def click():
    n = Noise(1)
    x = hp(n.white(n_of(.03)), 2500) * env_exp(n_of(.03), .004)
    x += .5 * sine(2200, n_of(.03)) * env_exp(n_of(.03), .006)
    return normalize(fade(x, 0, .005), .6)


def pop():
    d = .09
    f = 900 * np.exp(-t_of(d) * 30) + 250
    x = sine(f) * env_exp(n_of(d), .03)
    x += .3 * bp(Noise(2).white(n_of(d)), 800, 3000) * env_exp(n_of(d), .01)
    return normalize(fade(x, 0, .01), .7)


# ------------------------------------------------------------------ loops

def engine_loop():
    """Radial engine and propeller: firing pulses at 40 Hz with harmonics, a
    propeller beat at 8 Hz and some airflow, one second long."""
    d = 1.0
    n = n_of(d)
    t = np.arange(n) / SR
    f0 = 40.0
    x = np.zeros(n)
    for h, a in ((1, 1.0), (2, .7), (3, .45), (4, .3), (5, .2), (6, .12), (8, .06)):
        x += a * np.sin(2 * np.pi * f0 * h * t + h * .7)
    x = soft_clip(x * .8, 1.6)
    cyl = 1 + .25 * np.sin(2 * np.pi * 8 * t) + .1 * np.sin(2 * np.pi * 16 * t + 1)
    air = circular_filter(Noise(3).white(n), 'band', (300, 1800)) * 2.2
    air *= 1 + .6 * np.sin(2 * np.pi * 24 * t)
    x = x * cyl + .35 * air
    return normalize(x, .5)


def overrev_loop():
    """A heavy, straining engine: two detuned motors beating once a second,
    rough and low. Used for the falling plane and the bomber."""
    n = n_of(1.0)
    t = np.arange(n) / SR
    x = np.zeros(n)
    for f0, ph in ((31.0, 0), (33.0, 1.3)):
        for h, a in ((1, 1.0), (2, .8), (3, .6), (4, .4), (6, .25), (9, .12)):
            x += a * np.sin(2 * np.pi * f0 * h * t + ph * h)
    x = soft_clip(x * .6, 2.5)
    rough = circular_filter(Noise(4).white(n), 'band', (150, 1200)) * 3
    rough *= 1 + .8 * np.sin(2 * np.pi * 31 * t) ** 2
    whine = .25 * np.sin(2 * np.pi * 620 * t + .3 * np.sin(2 * np.pi * 2 * t))
    x = x + .4 * rough + whine
    return normalize(x, .55)


def arc_loop():
    """Electric arc: a 100 Hz mains buzz with crackles, one second."""
    n = n_of(1.0)
    t = np.arange(n) / SR
    buzz = np.sign(np.sin(2 * np.pi * 100 * t)) * .4 + .3 * np.sin(2 * np.pi * 200 * t) + .2 * np.sin(2 * np.pi * 300 * t)
    buzz = circular_filter(buzz, 'lowpass', 2500)
    nz = Noise(5)
    crack = np.zeros(n)
    for _ in range(60):
        p = int(nz.uniform(0, n))
        l = int(nz.uniform(40, 600))
        idx = (p + np.arange(l)) % n
        crack[idx] += nz.white(l) * np.exp(-np.arange(l) / (l / 4.0)) * nz.uniform(.3, 1)
    crack = circular_filter(crack, 'highpass', 1500)
    hiss = circular_filter(nz.white(n), 'band', (3000, 8000)) * .3
    x = buzz + 1.2 * crack + hiss * (1 + .5 * np.sin(2 * np.pi * 7 * t))
    return normalize(x, .55)


# ------------------------------------------------------------------ weapons

def whistle(d):
    t = t_of(d)
    f = 1900 * (1 - t / d) ** 1.2 + 450
    f = f * (1 + .012 * np.sin(2 * np.pi * 6 * t))
    x = sine(f) + .15 * sine(2 * f)
    x += .08 * bp(Noise(6).white(len(t)), 1500, 4000)
    e = np.minimum(1, t / .15) * (.6 + .4 * t / d)
    return normalize(fade(x * e, .01, .05), .45)


def cannon():
    d = .9
    t = t_of(d)
    n = Noise(7)
    boom = sine(55 + 80 * np.exp(-t * 25)) * env_exp(len(t), .25)
    blast = lp(n.white(len(t)), 1800) * env_exp(len(t), .12)
    crack = hp(n.white(len(t)), 3000) * env_exp(len(t), .015)
    x = 1.2 * boom + .9 * blast + .5 * crack
    return normalize(fade(soft_clip(x, 1.5), 0, .1), .9)


def laser_fire():
    d = .32
    t = t_of(d)
    f = 2400 * np.exp(-t * 9) + 300

    def voice(osc):
        x = osc(f, duty=.3) * .5 + saw(f * 1.01) * .5
        return fade(lp(x, 5000) * env_exp(len(t), .12), 0, .03)
    return normalize(voice(pulse), .55, voice(square))


def laser_hit():
    d = .35
    t = t_of(d)
    n = Noise(8)
    x = bp(n.white(len(t)), 2500, 7000) * env_exp(len(t), .1)
    x += .5 * sine(180 + 60 * np.sin(2 * np.pi * 40 * t)) * env_exp(len(t), .08)
    return normalize(fade(x, 0, .03), .6)


def lightning_hit():
    d = .6
    t = t_of(d)
    n = Noise(9)
    crack = hp(n.white(len(t)), 1200) * env_exp(len(t), .03)
    rumble = lp(n.white(len(t)), 300) * env_exp(len(t), .25) * 2.5
    zap = saw(120 + 900 * np.exp(-t * 20)) * env_exp(len(t), .08) * .5
    x = crack + rumble + zap
    return normalize(fade(soft_clip(x, 1.3), 0, .05), .85)


def bullet():
    d = .13
    t = t_of(d)
    n = Noise(10)
    x = bp(n.white(len(t)), 400, 4000) * env_exp(len(t), .025)
    x += .6 * sine(130 * np.exp(-t * 20) + 60) * env_exp(len(t), .03)
    return normalize(fade(soft_clip(x, 2), 0, .02), .7)


def plane_hit():
    """A bullet striking metal: a clank and a short ricochet."""
    d = .45
    t = t_of(d)
    n = Noise(11)
    clank = sum(a * sine(f, len(t)) * env_exp(len(t), dec) for f, a, dec in
                ((1250, 1, .05), (1890, .7, .04), (2710, .5, .03), (3400, .3, .02)))
    ric = sine(3200 * np.exp(-t * 3) + 900) * np.clip((t - .03) * 40, 0, 1) * env_exp(len(t), .12) * .5
    x = clank + ric + .4 * hp(n.white(len(t)), 2000) * env_exp(len(t), .008)
    return normalize(fade(x, 0, .04), .7)


def switch_weapon(shift):
    """Two mechanical clacks of a reloaded breech."""
    d = .32
    buf = np.zeros(n_of(d))
    n = Noise(12)
    for at, f in ((0.0, 2300), (.14, 1700)):
        l = n_of(.06)
        c = bp(n.white(l), f * shift * .6, f * shift * 1.6) * env_exp(l, .012)
        c += .5 * sine(f * shift * .5, l) * env_exp(l, .01)
        place(buf, c, at)
    return normalize(fade(buf, 0, .02), .6)


# ------------------------------------------------------------------ water

def splash(d, big, seed):
    t = t_of(d)
    n = Noise(seed)
    body = sweep(n.white(len(t)), 'lowpass', 500 + 4000 * np.exp(-t * 6)) * env_exp(len(t), d * .35, .01)
    if big:
        body += lp(n.white(len(t)), 250) * env_exp(len(t), d * .4, .02) * 2
    buf = np.zeros(len(t))
    for _ in range(18 if big else 9):
        at = n.uniform(.05, d * .8)
        l = n_of(.04)
        f0 = n.uniform(500, 1500)
        place(buf, sine(f0 * np.exp(np.arange(l) / SR * 30)) * env_exp(l, .012) * n.uniform(.1, .35), at)
    x = body + buf
    return normalize(fade(x, .005, .05), .85 if big else .7)


def water_exit():
    d = .6
    t = t_of(d)
    n = Noise(14)
    x = sweep(n.white(len(t)), 'bandpass', 300 + 2500 * t / d) * adsr(len(t), .05, .1, .7, .3)
    return normalize(fade(x, .01, .05), .6)


def bubbles():
    d = 1.1
    buf = np.zeros(n_of(d))
    n = Noise(15)
    for _ in range(22):
        at = n.uniform(0, d - .1)
        l = n_of(.06)
        f0 = n.uniform(300, 900)
        place(buf, sine(f0 * np.exp(np.arange(l) / SR * 14)) * env_exp(l, .02) * n.uniform(.3, 1), at)
    buf += .15 * lp(n.white(len(buf)), 600) * np.linspace(1, .2, len(buf))
    return normalize(fade(buf, .005, .1), .6)


def bubble_burst():
    d = .22
    t = t_of(d)
    x = sine(700 * np.exp(t * 8)) * env_exp(len(t), .04)
    x += .4 * hp(Noise(16).white(len(t)), 2000) * env_exp(len(t), .01)
    return normalize(fade(x, 0, .02), .6)


# ------------------------------------------------------------------ explosions and fire

def explosion(d, seed, rumble=1.0):
    t = t_of(d)
    n = Noise(seed)
    crack = hp(n.white(len(t)), 1500) * env_exp(len(t), .02)
    blast = sweep(n.white(len(t)), 'lowpass', 300 + 4500 * np.exp(-t * 7)) * env_exp(len(t), d * .3, .004) * 1.6
    low = lp(n.white(len(t)), 120, 4) * env_exp(len(t), d * .45, .01) * 6 * rumble
    thump = sine(45 + 60 * np.exp(-t * 12)) * env_exp(len(t), .3) * rumble
    x = crack + blast + low + thump
    # a few debris crackles
    for _ in range(int(6 * d)):
        at = n.uniform(.05, d * .6)
        l = n_of(.03)
        place(x, bp(n.white(l), 800, 4000) * env_exp(l, .006) * n.uniform(.05, .18) * (1 - at / d), at)
    return normalize(fade(soft_clip(x, 1.6), 0, .2), .85)


def tree_burn():
    d = 1.6
    t = t_of(d)
    n = Noise(18)
    roar = sweep(n.white(len(t)), 'lowpass', 400 + 1500 * np.exp(-t * 2)) * adsr(len(t), .05, .3, .6, .8) * 1.5
    crackle = np.zeros(len(t))
    for _ in range(60):
        at = n.uniform(0, d - .05)
        l = n_of(.008)
        place(crackle, n.white(l) * n.uniform(.2, 1), at)
    crackle = hp(crackle, 1800) * np.linspace(1, .3, len(t))
    whoosh = sweep(n.white(len(t)), 'bandpass', 300 + 1200 * np.sin(np.pi * np.minimum(t / .5, 1))) * env_exp(len(t), .4)
    return normalize(fade(roar + crackle + whoosh, .005, .2), .8)


def crate_break():
    d = .55
    buf = np.zeros(n_of(d))
    n = Noise(19)
    for at, f, a in ((0.0, 420, 1), (.02, 650, .8), (.05, 300, .7), (.11, 900, .5), (.16, 520, .4)):
        l = n_of(.12)
        c = bp(n.white(l), f * .7, f * 2.5) * env_exp(l, .03) * a
        c += sine(f, l) * env_exp(l, .025) * a * .5
        place(buf, c, at)
    return normalize(fade(buf, 0, .05), .8)


# ------------------------------------------------------------------ fireworks and launches

def firework_launch():
    d = 1.1
    t = t_of(d)
    n = Noise(20)
    x = sweep(n.white(len(t)), 'bandpass', 600 + 3500 * (t / d) ** 1.5) * adsr(len(t), .05, .1, .8, .3)
    x += .3 * sine(800 + 2000 * t / d) * adsr(len(t), .1, .1, .5, .4)
    return normalize(fade(x, .01, .05), .6)


def firework_bang():
    d = 1.8
    x = explosion(.6, 21, rumble=.5)
    buf = np.zeros(n_of(d))
    place(buf, x, 0)
    n = Noise(22)
    for _ in range(45):
        at = n.uniform(.25, 1.5)
        l = n_of(.015)
        place(buf, hp(n.white(l), 3000) * env_exp(l, .003) * n.uniform(.1, .45) * (1.6 - at), at)
    return normalize(fade(buf, 0, .2), .8)


def missile_launch():
    d = .9
    t = t_of(d)
    n = Noise(23)
    ign = hp(n.white(len(t)), 500) * env_exp(len(t), .05) * .8
    roar = sweep(n.white(len(t)), 'lowpass', 800 + 2500 * np.exp(-t * 3)) * adsr(len(t), .02, .2, .6, .4) * 1.4
    x = ign + roar + .3 * saw(90 + 40 * t, ) * adsr(len(t), .02, .1, .5, .4)
    return normalize(fade(x, .003, .1), .8)


def ballistic_entry():
    d = 1.3
    t = t_of(d)
    n = Noise(24)
    roar = sweep(n.white(len(t)), 'lowpass', 600 + 1800 * (1 - t / d)) * adsr(len(t), .08, .2, .8, .5) * 1.5
    rumble = lp(n.white(len(t)), 150, 4) * 5 * adsr(len(t), .1, .3, .6, .5)
    x = roar + rumble
    return normalize(fade(soft_clip(x, 1.4), .01, .1), .75)


def kamikaze_entry():
    """A diving plane: the engine's scream falls as it comes down."""
    d = 1.6
    t = t_of(d)
    f = 900 * (1 - .55 * t / d)
    e = np.minimum(1, t / .4) * (1 - np.clip((t - d + .3) / .3, 0, 1))

    def voice(osc):
        x = saw(f) * .4 + osc(f * .5, duty=.35) * .3 + sine(f * 2) * .2
        x = lp(x, 3000)
        x *= 1 + .3 * np.sin(2 * np.pi * 18 * t)
        x += .3 * sweep(Noise(25).white(len(t)), 'bandpass', 1500 - 600 * t / d)
        return x * e
    return normalize(voice(pulse), .7, voice(square))


def propelled_bomb_entry():
    d = 1.3
    t = t_of(d)
    rotor = (square(22, len(t), duty=.2) * .5 + .5)
    x = lp(Noise(26).white(len(t)), 900) * rotor * 2 + .3 * saw(180 + 20 * np.sin(2 * np.pi * 3 * t)) * rotor
    e = np.minimum(1, t / .6) * (1 - np.clip((t - d + .3) / .3, 0, 1))
    return normalize(x * e, .65)


def biplane_entry():
    """The engine loop passing by: it rises in and fades out."""
    base = engine_loop()
    x = np.concatenate([base, base, base[: n_of(.5)]])
    t = np.arange(len(x)) / SR
    d = t[-1]
    e = np.sin(np.pi * np.clip(t / d, 0, 1)) ** 1.5
    # a slight Doppler: resample with a falling rate
    rate = 1.12 - .24 * t / d
    pos = np.cumsum(rate)
    pos = pos[pos < len(x) - 1]
    y = np.interp(pos, np.arange(len(x)), x)
    return normalize(y * e[:len(y)], .7)


def bomber_drop():
    d = .5
    buf = np.zeros(n_of(d))
    n = Noise(27)
    l = n_of(.08)
    place(buf, bp(n.white(l), 300, 1500) * env_exp(l, .02) + sine(180, l) * env_exp(l, .03), 0)
    place(buf, bp(n.white(l), 500, 2500) * env_exp(l, .015) * .6, .07)
    t = t_of(.35)
    place(buf, sine(1400 - 900 * t / .35) * np.linspace(.4, 0, len(t)) * .4, .12)
    return normalize(fade(buf, 0, .03), .7)


# ------------------------------------------------------------------ balloons

def balloon_pop():
    d = .25
    t = t_of(d)
    n = Noise(28)
    x = hp(n.white(len(t)), 800) * env_exp(len(t), .015) * 1.5
    x += lp(n.white(len(t)), 1500) * env_exp(len(t), .05)
    x += sine(150, len(t)) * env_exp(len(t), .04) * .6
    return normalize(fade(x, 0, .02), .85)


def deflate():
    d = 1.1
    t = t_of(d)
    f = 700 * (1 - .6 * t / d) * (1 + .08 * np.sin(2 * np.pi * 13 * t) + .05 * np.sin(2 * np.pi * 31 * t))
    e = adsr(len(t), .02, .1, .9, .25)

    def voice(osc):
        x = lp(osc(f, duty=.25) * .4 + saw(f) * .3, 2500)
        return (x + .3 * bp(Noise(29).white(len(t)), 1500, 5000)) * e
    return normalize(voice(pulse), .6, voice(square))


def nyuck():
    """A short silly voice: a vowel 'nyuck' from a glottal buzz through
    two formant filters."""
    d = .36
    t = t_of(d)
    f0 = 220 * (1.25 - .45 * t / d)
    src = saw(f0) + .3 * square(f0, duty=.2)
    f1 = np.interp(t, [0, .06, .2, d], [300, 550, 650, 400])
    f2 = np.interp(t, [0, .06, .2, d], [2200, 1600, 1100, 900])
    x = sweep(src, 'bandpass', f1) * 1.5 + sweep(src, 'bandpass', f2) * .7
    e = adsr(len(t), .03, .05, .8, .08)
    e *= 1 - .9 * (t > d - .05)
    ck = np.zeros(len(t))
    place(ck, hp(Noise(30).white(n_of(.03)), 2000) * env_exp(n_of(.03), .006) * .4, d - .05)
    return normalize(x * e + ck, .7)


def arpeggio(notes, step, wave_tone, bright):
    buf = np.zeros(n_of(step * len(notes) + .35))
    for k, m in enumerate(notes):
        l = n_of(.35)
        f = midi_hz(m)
        v = sine(f, l) + .4 * sine(2 * f, l) + bright * .25 * square(f, l, .5)
        place(buf, v * env_exp(l, .12), k * step)
    return normalize(fade(lp(buf, 6000), 0, .05), .65)


def drumroll():
    # outlasts the end scene's rating bar, which can run 5 s
    d = 6.0
    buf = np.zeros(n_of(d))
    n = Noise(31)
    t = 0.0
    k = 0
    while t < d - .35:
        l = n_of(.08)
        amp = .25 + .75 * (t / (d - .3)) ** 1.5
        hit = (bp(n.white(l), 1500, 7000) * .9 + sine(190, l) * .5) * env_exp(l, .03) * amp * (1 if k % 2 == 0 else .8)
        place(buf, hit, t)
        t += .045 + .01 * n.uniform(0, 1)
        k += 1
    l = n_of(.3)
    place(buf, (bp(n.white(l), 1000, 7000) + sine(160, l)) * env_exp(l, .09), d - .32)
    return normalize(fade(buf, 0, .05), .85)


def cymbal():
    d = 2.8
    t = t_of(d)
    n = Noise(32)
    x = hp(n.white(len(t)), 3500) * env_exp(len(t), .7, .002)
    metal = sum(np.sign(sine(f, len(t))) * a for f, a in ((587, .2), (845, .2), (1233, .15), (1597, .12), (2281, .1)))
    x += hp(metal, 2000) * env_exp(len(t), .5) * .5
    return normalize(fade(x, 0, .3), .75)


def clock_tick():
    d = .06
    t = t_of(d)
    x = bp(Noise(33).white(len(t)), 2000, 6000) * env_exp(len(t), .004) + sine(3100, len(t)) * env_exp(len(t), .008) * .5
    return normalize(fade(x, 0, .01), .55)


def clock_chime():
    d = 1.8
    t = t_of(d)
    x = np.zeros(len(t))
    for f, a, dec in ((880, 1, .9), (880 * 2.76, .35, .4), (880 * 5.4, .15, .2), (440, .4, 1.0)):
        x += a * sine(f, len(t)) * env_exp(len(t), dec, .003)
    l = n_of(1.2)
    second = np.zeros(len(t))
    for f, a, dec in ((659.25, .8, .8), (659.25 * 2.76, .3, .35)):
        place(second, a * sine(f, l) * env_exp(l, dec, .003), .45)
    return normalize(fade(x + second, 0, .2), .7)


def level_up():
    return arpeggio([72, 76, 79, 84, 88], .065, 'sq', 1.0)


def level_down():
    return arpeggio([79, 75, 72, 67, 63], .075, 'sq', .6)


# Every effect's level in the mix: 2.9 dB below the peak its function gives,
# so that blasts over the in-game music keep clear of full scale while no
# effect is more than 3 dB quieter than its design. Held fire restarts the
# cannon's shot on two voices that the mixer starts together, so its peak
# counts twice: it is saturated instead, which takes its peak down by 8 dB
# and its loudness (BS.1770) by less than 3 dB.
MIX_GAIN = 10 ** (-2.9 / 20)
CANNON = 'sfx/cannonfire.ogg'


def render(name):
    fn, loops = EFFECTS[name]
    x = press(fn(), 24, 2.9) if name == CANNON else fn() * MIX_GAIN
    return remove_dc(x, loops)


# file name -> (function, loops)
EFFECTS = {
    'sfx/clickXP.ogg': (click, False),
    'sfx/pop.ogg': (pop, False),
    'sfx/rot5loo1.ogg': (engine_loop, True),
    'sfx/ovrevlp1.ogg': (overrev_loop, True),
    'sfx/arc2.ogg': (arc_loop, True),
    'sfx/bmbwstl2.ogg': (lambda: whistle(2.2), False),
    'sfx/bmbwstl2short.ogg': (lambda: whistle(.9), False),
    'sfx/cannonfire.ogg': (cannon, False),
    'sfx/laserFire.ogg': (laser_fire, False),
    'sfx/laserHit.ogg': (laser_hit, False),
    'sfx/lightninghit.ogg': (lightning_hit, False),
    'sfx/splash.ogg': (lambda: splash(.7, False, 13), False),
    'sfx/planesplash.ogg': (lambda: splash(1.6, True, 17), False),
    'sfx/fireworklaunch.ogg': (firework_launch, False),
    'sfx/fireworkbang.ogg': (firework_bang, False),
    'sfx/planehit(ricocnvs).ogg': (plane_hit, False),
    'sfx/spanloo.ogg': (bullet, False),
    'sfx/firetree.ogg': (tree_burn, False),
    'sfx/engnxploshort.ogg': (lambda: explosion(.9, 34, .8), False),
    'sfx/fx113.ogg': (lambda: explosion(3.2, 35, 1.3), False),
    'sfx/balloonPop.ogg': (balloon_pop, False),
    'sfx/bubbles.ogg': (bubbles, False),
    'sfx/bubbleburst.ogg': (bubble_burst, False),
    'sfx/deflate.ogg': (deflate, False),
    'sfx/waterExit.ogg': (water_exit, False),
    'sfx/missilelaunch.ogg': (missile_launch, False),
    'sfx/missilehit.ogg': (lambda: explosion(.8, 36, .6), False),
    'sfx/kamikazeentry.ogg': (kamikaze_entry, False),
    'sfx/ballisticentry(gp32).ogg': (ballistic_entry, False),
    'sfx/rot5loo1fade.ogg': (biplane_entry, False),
    'sfx/propelledbombentry.ogg': (propelled_bomb_entry, False),
    'sfx/bomberdropbomb.ogg': (bomber_drop, False),
    'sfx/crateBreak.ogg': (crate_break, False),
    'sfx/nyuck.ogg': (nyuck, False),
    'sfx/levelup.ogg': (level_up, False),
    'sfx/leveldown.ogg': (level_down, False),
    'sfx/drum_roll_1.ogg': (drumroll, False),
    'sfx/cymbalcrash.ogg': (cymbal, False),
    'sfx/lackerol3.ogg': (lambda: switch_weapon(1.0), False),
    'sfx/lackerol3lower.ogg': (lambda: switch_weapon(.7), False),
    'sfx/clocktick.ogg': (clock_tick, False),
    'sfx/clockchime.ogg': (clock_chime, False),
}
