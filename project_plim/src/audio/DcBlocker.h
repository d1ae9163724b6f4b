#pragma once
// A one-pole high-pass on the mixer's stereo sum, y[n] = x[n] - x[n-1] +
// pole * y[n-1], with its corner at CUTOFF_HZ, under hearing: voices cut short
// (a shot stealing the voice of the one before) leave the partial mean of
// their opening in the sum, and this takes it out, so the output averages 0.
// Steps pass whole; a constant decays with a time constant of 1/(2 pi
// CUTOFF_HZ) seconds. Audio thread only.
class DcBlocker {
public:
    static constexpr double CUTOFF_HZ = 5.0;
    // A state this small is 0: far under any device's resolution, and a float
    // left to decay would turn subnormal (slow) and then stall above 0. A
    // state that is not finite is 0 as well, by the end of each process call.
    static constexpr float FLOOR = 1.0e-9f;

    explicit DcBlocker(int frequency);

    // Filters count interleaved stereo frames in place.
    void process(float* frames, int count);
    float pole() const { return poleValue; }

private:
    float poleValue;
    float lastIn[2] = {0.0f, 0.0f};
    float lastOut[2] = {0.0f, 0.0f};
};
