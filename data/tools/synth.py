"""A small synthesiser: oscillators, noise, envelopes and filters on numpy
arrays at 22,050 Hz."""
import numpy as np
from scipy import signal

SR = 22050


def n_of(d):
    return int(round(d * SR))


def t_of(d):
    return np.arange(n_of(d)) / SR


class Noise:
    def __init__(self, seed):
        self.r = np.random.RandomState(seed)

    def white(self, n):
        return self.r.uniform(-1, 1, n)

    def uniform(self, a, b, n=None):
        return self.r.uniform(a, b, n)


def phase(freq, n=None):
    """Phase (cycles) of an oscillator whose frequency may vary per sample."""
    if np.isscalar(freq):
        return freq * np.arange(n) / SR
    return np.cumsum(freq) / SR


def sine(freq, n=None, ph=0.0):
    return np.sin(2 * np.pi * (phase(freq, n) + ph))


def saw(freq, n=None, ph=0.0):
    p = phase(freq, n) + ph
    return 2.0 * (p - np.floor(p + 0.5))


def square(freq, n=None, duty=0.5, ph=0.0):
    p = phase(freq, n) + ph
    return np.where((p - np.floor(p)) < duty, 1.0, -1.0)


def pulse(freq, n=None, duty=0.5, ph=0.0):
    """A square wave without its DC: a duty other than one half leaves
    2 * duty - 1 on average, a thump under every envelope."""
    return square(freq, n, duty, ph) - (2.0 * duty - 1.0)


def tri(freq, n=None, ph=0.0):
    p = phase(freq, n) + ph
    return 2.0 * np.abs(2.0 * (p - np.floor(p + 0.5))) - 1.0


def sos(kind, f, order=2):
    nyq = SR / 2.0
    if isinstance(f, (list, tuple)):
        wn = [min(max(x / nyq, 1e-4), .999) for x in f]
    else:
        wn = min(max(f / nyq, 1e-4), .999)
    return signal.butter(order, wn, btype=kind, output='sos')


def lp(x, f, order=2):
    return signal.sosfilt(sos('lowpass', f, order), x)


def hp(x, f, order=2):
    return signal.sosfilt(sos('highpass', f, order), x)


def bp(x, f1, f2, order=2):
    return signal.sosfilt(sos('bandpass', [f1, f2], order), x)


def sweep(x, kind, freqs, block=128, order=2):
    """Filter with a cutoff that follows freqs (one value per sample)."""
    out = np.zeros_like(x)
    zi = None
    for s in range(0, len(x), block):
        f = float(np.mean(freqs[s:s + block]))
        if kind == 'bandpass':
            q = sos('bandpass', [f / 1.3, f * 1.3], order)
        else:
            q = sos(kind, f, order)
        if zi is None:
            zi = np.zeros((q.shape[0], 2))
        out[s:s + block], zi = signal.sosfilt(q, x[s:s + block], zi=zi)
    return out


def circular_filter(x, kind, f, order=2):
    """Zero-phase filtering done in the frequency domain, so that a loop stays
    periodic."""
    spectrum = np.fft.rfft(x)
    fr = np.fft.rfftfreq(len(x), 1.0 / SR)
    if kind == 'lowpass':
        h = 1.0 / np.sqrt(1 + (fr / f) ** (2 * order))
    elif kind == 'highpass':
        h = 1.0 / np.sqrt(1 + (f / np.maximum(fr, 1e-3)) ** (2 * order))
    else:
        f1, f2 = f
        h = 1.0 / np.sqrt(1 + (fr / f2) ** (2 * order)) / np.sqrt(1 + (f1 / np.maximum(fr, 1e-3)) ** (2 * order))
    return np.fft.irfft(spectrum * h, len(x))


def env_exp(n, decay, attack=0.002):
    t = np.arange(n) / SR
    e = np.exp(-t / decay)
    a = n_of(attack)
    if a > 0:
        e[:a] *= np.linspace(0, 1, a)
    return e


def adsr(n, a, d, s, r, hold=None):
    t = np.arange(n) / SR
    total = n / SR
    rel_start = total - r if hold is None else a + d + hold
    e = np.where(t < a, t / max(a, 1e-6),
                 np.where(t < a + d, 1 - (1 - s) * (t - a) / max(d, 1e-6), s))
    rel = np.clip((t - rel_start) / max(r, 1e-6), 0, 1)
    return e * (1 - rel)


def fade(x, fin=0.003, fout=0.01):
    x = x.copy()
    a, b = n_of(fin), n_of(fout)
    if a:
        x[:a] *= np.linspace(0, 1, a)
    if b:
        x[-b:] *= np.linspace(1, 0, b)
    return x


def normalize(x, peak, level_of=None):
    """Scales x to the peak; level_of, when given, is the sound whose peak
    sets the scale instead (x as designed, with the DC its square waves
    carried before they became pulses), so that x keeps its level."""
    m = np.max(np.abs(x if level_of is None else level_of))
    return x * (peak / m) if m > 0 else x


def remove_dc(x, loop):
    """Takes the mean out of a sound, per channel. A loop is periodic, so
    its mean is its 0-Hz bin alone and subtracting it leaves the seam as it
    was; a one-shot instead loses it through a Hann window as long as the
    sound, so that it still starts and ends at silence, and what is taken
    lies below 2 / duration Hz."""
    y = np.array(x, dtype=float)
    if loop:
        return y - y.mean(axis=0)
    w = np.hanning(len(y))
    if y.ndim > 1:
        w = w[:, None]
    return y - w * (y.sum(axis=0) / w.sum())


def mix(*parts):
    n = max(len(p) for p in parts)
    out = np.zeros(n)
    for p in parts:
        out[:len(p)] += p
    return out


def place(buf, x, at):
    s = n_of(at) if isinstance(at, float) else at
    e = min(len(buf), s + len(x))
    if e > s:
        buf[s:e] += x[:e - s]


def soft_clip(x, drive=1.0):
    return np.tanh(x * drive) / np.tanh(drive)


def midi_hz(m):
    return 440.0 * 2 ** ((m - 69) / 12.0)


def _biquad(shelf, gain_db, q, fc):
    a = 10 ** (gain_db / 40.0)
    w0 = 2 * np.pi * fc / SR
    alpha = np.sin(w0) / (2 * q)
    c = np.cos(w0)
    if shelf:
        b = [a * ((a + 1) + (a - 1) * c + 2 * np.sqrt(a) * alpha), -2 * a * ((a - 1) + (a + 1) * c),
             a * ((a + 1) + (a - 1) * c - 2 * np.sqrt(a) * alpha)]
        d = [(a + 1) - (a - 1) * c + 2 * np.sqrt(a) * alpha, 2 * ((a - 1) - (a + 1) * c),
             (a + 1) - (a - 1) * c - 2 * np.sqrt(a) * alpha]
    else:
        b = [(1 + c) / 2, -(1 + c), (1 + c) / 2]
        d = [1 + alpha, -2 * c, 1 - alpha]
    return np.array(b) / d[0], np.array(d) / d[0]


def loudness(x):
    """Momentary loudness (ITU-R BS.1770: K-weighting, 400-ms windows): the
    loudest window, in LUFS."""
    y = np.asarray(x, dtype=float)
    for b, a in (_biquad(True, 4.0, 1 / np.sqrt(2), 1500.0), _biquad(False, 0.0, .5, 38.0)):
        y = signal.lfilter(b, a, y)
    w = n_of(.4)
    y = np.concatenate([y, np.zeros(w)])
    power = np.convolve(y * y, np.ones(w) / w, mode='valid')[::n_of(.1)]
    return -0.691 + 10 * np.log10(np.max(power) + 1e-12)


def press(x, drive, loss_db):
    """Saturates the sound (lower peaks, the same body) and sets it loss_db
    below its own loudness."""
    y = soft_clip(x / np.max(np.abs(x)), drive)
    return y * 10 ** ((loudness(x) - loss_db - loudness(y)) / 20)
