#pragma once

#include <span>
#include <vector>

struct soxr;

// Converts a stream of mono float samples from one rate to another, chunk by chunk, keeping the
// filter's state between chunks. With equal rates the samples pass through untouched.
class StreamResampler
{
public:
    StreamResampler(double inputRate, double outputRate);
    ~StreamResampler();
    StreamResampler(const StreamResampler &) = delete;
    StreamResampler &operator=(const StreamResampler &) = delete;

    // False when the rates cannot be converted (zero, negative, not a number).
    bool isValid() const { return m_valid; }

    // Appends the output for `input` to `output`.
    void process(std::span<const float> input, std::vector<float> &output);
    // Appends what the filter still holds back; call once at the end of the stream.
    void flush(std::vector<float> &output);

private:
    void drain(const float *input, std::size_t length, std::vector<float> &output);

    double m_ratio = 1.0;
    bool m_valid = false;
    soxr *m_soxr = nullptr;
};
