#pragma once

#include <complex>
#include <memory>

// A real-to-complex forward FFT of a fixed size, planned once and reused. Not safe to use
// from two threads at the same time; give each thread its own instance.
class RealFft
{
public:
    explicit RealFft(int size);
    ~RealFft();
    RealFft(const RealFft &) = delete;
    RealFft &operator=(const RealFft &) = delete;

    int size() const { return m_size; }
    int binCount() const { return m_size / 2 + 1; }

    // Reads size() samples and writes binCount() complex bins, unnormalised:
    // X[k] = sum_n x[n] * exp(-2*pi*i*k*n/N).
    void forward(const float *input, std::complex<float> *output);

private:
    struct Plan;
    int m_size;
    std::unique_ptr<Plan> m_plan;
};
