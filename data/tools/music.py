"""The two music loops, composed here as note lists and synthesised in
stereo. Notes that ring past the end of the loop are folded back onto its
start and the echoes are circular, so the streams loop without a seam."""
import numpy as np

from synth import SR, n_of, Noise, sine, saw, square, pulse, tri, lp, hp, bp, env_exp, adsr, midi_hz, soft_clip, remove_dc

CHORDS = {
    'D': [62, 66, 69], 'Bm': [59, 62, 66], 'G': [55, 59, 62], 'A': [57, 61, 64], 'F#m': [54, 57, 61],
    'Am': [57, 60, 64], 'F': [53, 57, 60], 'C': [55, 60, 64], 'E': [56, 59, 64], 'Em': [55, 59, 64],
}

NOTE = {'C': 0, 'C#': 1, 'D': 2, 'D#': 3, 'E': 4, 'F': 5, 'F#': 6, 'G': 7, 'G#': 8, 'A': 9, 'A#': 10, 'B': 11}


def m(name):
    """'F#5' -> MIDI number."""
    return 12 * (int(name[-1]) + 1) + NOTE[name[:-1]]


def parse_melody(text):
    """Bars separated by '|', notes 'NAME:beats' or 'r:beats'."""
    notes = []
    beat = 0.0
    for bar in text.split('|'):
        for tok in bar.split():
            name, dur = tok.split(':')
            dur = float(dur)
            if name != 'r':
                notes.append((beat, dur, m(name)))
            beat += dur
    return notes, beat


class Song:
    def __init__(self, bpm, bars):
        self.bpm = bpm
        self.beat = 60.0 / bpm
        self.length = n_of(bars * 4 * self.beat)
        self.tail = n_of(2.5)
        self.L = np.zeros(self.length + self.tail)
        self.R = np.zeros(self.length + self.tail)
        # The DC that the lead's square waves carried before they became
        # pulses: it only sets the level, so that the music keeps its own.
        self.dcL = np.zeros(self.length + self.tail)
        self.dcR = np.zeros(self.length + self.tail)

    def add(self, x, beat, pan=0.0, gain=1.0, dc=None):
        s = n_of(beat * self.beat)
        e = min(len(self.L), s + len(x))
        gl = gain * np.sqrt(.5 * (1 - pan))
        gr = gain * np.sqrt(.5 * (1 + pan))
        self.L[s:e] += x[:e - s] * gl
        self.R[s:e] += x[:e - s] * gr
        if dc is not None:
            self.dcL[s:e] += dc[:e - s] * gl
            self.dcR[s:e] += dc[:e - s] * gr

    def finish(self, echo_beats=0.75, echo_gain=.28, level=.85):
        L, R = self.mixed(self.L, self.R, echo_beats, echo_gain)
        dL, dR = self.mixed(self.L + self.dcL, self.R + self.dcR, echo_beats, echo_gain)
        peak = max(np.max(np.abs(dL)), np.max(np.abs(dR)))
        L, R = soft_clip(L / peak * 1.1, 1.2) * level, soft_clip(R / peak * 1.1, 1.2) * level
        return remove_dc(np.stack([L, R], axis=1), True)

    def mixed(self, left, right, echo_beats, echo_gain):
        """The loop with what rings past its end folded onto its start, and
        the echoes."""
        n = self.length
        L, R = left[:n].copy(), right[:n].copy()
        L[:self.tail] += left[n:]
        R[:self.tail] += right[n:]
        d = n_of(echo_beats * self.beat)
        wl, wr = np.zeros(n), np.zeros(n)
        g = echo_gain
        for k in range(1, 5):
            src = lp(np.roll(R if k % 2 else L, d * k), 3500, 1)
            (wl if k % 2 else wr)[:] += src * g
            g *= .55
        return L + wl, R + wr


# ------------------------------------------------------------------ instruments

def lead(freq, dur_s, bright=1.0, osc=pulse):
    n = n_of(dur_s + .25)
    t = np.arange(n) / SR
    vib = 1 + .006 * np.sin(2 * np.pi * 5.5 * t) * np.clip((t - .15) * 4, 0, 1)
    f = freq * vib
    x = osc(f, duty=.28) * .45 + saw(f * 1.003) * .35 + sine(f) * .4
    x = lp(x, 2200 + 1500 * bright)
    e = adsr(n, .012, .12, .7, .18, hold=max(dur_s - .13, 0.0))
    return x * e


def pluck(freq, dur_s=.5):
    n = n_of(dur_s)
    x = sine(freq, n) + .5 * sine(2 * freq, n) * env_exp(n, .08) + .25 * tri(3 * freq, n) * env_exp(n, .04)
    return x * env_exp(n, .18, .002)


def pad(freqs, dur_s):
    n = n_of(dur_s + .4)
    x = np.zeros(n)
    for f in freqs:
        for det in (-.004, .0, .005):
            x += saw(f * (1 + det), n, ph=abs(det) * 37)
    x = lp(x, 1300, 2) / (3 * len(freqs))
    return x * adsr(n, .35, .3, .8, .4, hold=max(dur_s - .65, 0.0))


def bass(freq, dur_s):
    n = n_of(dur_s + .05)
    x = saw(freq, n) * .6 + sine(freq, n) * .8 + square(freq / 2, n, .5) * .15
    x = lp(x, 700, 2)
    return x * adsr(n, .005, .15, .75, .05, hold=max(dur_s - .2, 0.0))


def kick():
    n = n_of(.35)
    t = np.arange(n) / SR
    return sine(48 + 110 * np.exp(-t * 28)) * env_exp(n, .16, .001) * 1.3


def snare(seed):
    n = n_of(.25)
    nz = Noise(seed)
    x = bp(nz.white(n), 1200, 8000) * env_exp(n, .07) + sine(185, n) * env_exp(n, .05) * .6
    return x


def hat(seed, open_=False):
    n = n_of(.2 if open_ else .06)
    return hp(Noise(seed).white(n), 7000) * env_exp(n, .07 if open_ else .018) * .5


# ------------------------------------------------------------------ arrangement

def arrange(song, chords, melody, style):
    b = song.beat
    # melody
    for beat, dur, mm in melody:
        bright = 1.0 if style == 'game' else .6
        voice = lead(midi_hz(mm), dur * b, bright)
        song.add(voice, beat, pan=.15, gain=.55, dc=lead(midi_hz(mm), dur * b, bright, square) - voice)
    for bar, name in enumerate(chords):
        root = CHORDS[name][0]
        tones = CHORDS[name]
        start = bar * 4
        # pad
        song.add(pad([midi_hz(x) for x in tones], 4 * b), start, pan=-.1, gain=.5)
        # bass
        if style == 'menu':
            pattern = [(0, 1.5, 0), (1.5, .5, 7), (2, 1.5, 0), (3.5, .5, 12)]
        else:
            pattern = [(k * .5, .45, 0 if k % 4 != 3 else 12) for k in range(8)]
        for off, dur, iv in pattern:
            song.add(bass(midi_hz(root - 12 + iv), dur * b), start + off, gain=.75)
        # plucked arpeggio
        arp = [tones[0] + 12, tones[1] + 12, tones[2] + 12, tones[1] + 12] * 2
        for k, x in enumerate(arp):
            song.add(pluck(midi_hz(x), .45), start + k * .5, pan=-.45, gain=.22 if style == 'menu' else .16)
        # drums
        for k in range(4):
            if style == 'menu':
                if k in (0, 2):
                    song.add(kick(), start + k, gain=.8)
                if k in (1, 3):
                    song.add(snare(1000 + bar * 4 + k), start + k, pan=.1, gain=.45)
            else:
                song.add(kick(), start + k, gain=.9)
                if k in (1, 3):
                    song.add(snare(2000 + bar * 4 + k), start + k, pan=.1, gain=.6)
            for h in range(2):
                song.add(hat(3000 + bar * 8 + k * 2 + h, open_=(h == 1 and k == 3)), start + k + h * .5,
                         pan=.35, gain=.35 if h == 0 else .22)
        if style == 'game' and bar % 4 == 3:
            for k in range(4):
                song.add(snare(4000 + bar * 4 + k), start + 3 + k * .25, pan=-.1, gain=.25 + .1 * k)


MENU_CHORDS = ['D', 'Bm', 'G', 'A', 'D', 'F#m', 'G', 'A', 'Bm', 'G', 'D', 'A', 'G', 'A', 'D', 'D']
MENU_MELODY = (
    'A4:1 F#4:.5 A4:.5 D5:1.5 C#5:.5 | B4:1 A4:.5 F#4:.5 B4:2 | G4:.5 A4:.5 B4:.5 D5:.5 E5:1 D5:1 | '
    'C#5:1.5 B4:.5 A4:2 | A4:1 F#4:.5 A4:.5 D5:1.5 E5:.5 | F#5:1 E5:.5 C#5:.5 A4:2 | '
    'B4:.5 D5:.5 G5:1 F#5:.5 E5:.5 D5:1 | E5:2 C#5:1 A4:1 | F#5:1.5 E5:.5 D5:1 B4:1 | D5:1.5 B4:.5 G4:2 | '
    'A4:.5 B4:.5 D5:.5 F#5:.5 A5:1 F#5:1 | E5:1.5 F#5:.5 E5:1 C#5:1 | D5:1 B4:1 G5:1 F#5:.5 E5:.5 | '
    'F#5:1 E5:1 C#5:1 E5:1 | D5:1.5 C#5:.5 D5:1 A4:1 | D5:3 r:1')

GAME_CHORDS = ['Am', 'F', 'C', 'G', 'Am', 'F', 'G', 'E', 'Am', 'F', 'G', 'E', 'Am', 'F', 'G', 'Am']
GAME_MELODY = (
    'A4:.5 C5:.5 E5:.5 A5:.5 G5:.5 E5:.5 C5:.5 E5:.5 | F5:1 E5:.5 C5:.5 A4:1 C5:1 | '
    'G4:.5 C5:.5 E5:.5 G5:.5 E5:1 C5:1 | D5:1.5 B4:.5 G4:2 | '
    'A4:.5 C5:.5 E5:.5 A5:.5 G5:.5 E5:.5 C5:.5 E5:.5 | A5:1 G5:.5 F5:.5 E5:1 C5:1 | '
    'D5:.5 E5:.5 F5:.5 G5:.5 F5:1 D5:1 | E5:1 G#4:1 B4:1 E5:1 | A5:1.5 G5:.5 E5:1 A4:1 | '
    'F5:1.5 E5:.5 C5:1 A4:1 | G5:.5 F5:.5 E5:.5 D5:.5 B4:1 G4:1 | G#4:1 B4:1 E5:1 G#5:1 | '
    'A5:.5 E5:.5 C5:.5 E5:.5 A5:.5 E5:.5 C5:.5 E5:.5 | F5:.5 C5:.5 A4:.5 C5:.5 F5:1 E5:1 | '
    'D5:1 E5:.5 F5:.5 G5:1 B4:1 | A4:3 r:1')


def menu_music():
    song = Song(112, 16)
    melody, beats = parse_melody(MENU_MELODY)
    assert beats == 64, beats
    arrange(song, MENU_CHORDS, melody, 'menu')
    return song.finish()


def game_music():
    song = Song(138, 16)
    melody, beats = parse_melody(GAME_MELODY)
    assert beats == 64, beats
    arrange(song, GAME_CHORDS, melody, 'game')
    # Under the effects of a match: 8 dB below the menu's music.
    return song.finish(echo_beats=.5, echo_gain=.22, level=.85 * 10 ** (-8 / 20))


MUSIC = {
    'sfx/music/menu.ogg': menu_music,
    'sfx/music/game.ogg': game_music,
}
