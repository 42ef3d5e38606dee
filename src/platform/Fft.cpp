#include "platform/Fft.h"

#include <fftw3.h>

#include <algorithm>
#include <mutex>

namespace {
// FFTW's planner is not thread-safe; execution of distinct plans is.
std::mutex plannerMutex;
} // namespace

struct RealFft::Plan
{
    float *input = nullptr;
    fftwf_complex *output = nullptr;
    fftwf_plan plan = nullptr;
};

RealFft::RealFft(int size) : m_size(std::max(size, 2)), m_plan(std::make_unique<Plan>())
{
    std::lock_guard lock(plannerMutex);
    m_plan->input = fftwf_alloc_real(static_cast<size_t>(m_size));
    m_plan->output = fftwf_alloc_complex(static_cast<size_t>(binCount()));
    m_plan->plan = fftwf_plan_dft_r2c_1d(m_size, m_plan->input, m_plan->output, FFTW_ESTIMATE);
}

RealFft::~RealFft()
{
    std::lock_guard lock(plannerMutex);
    fftwf_destroy_plan(m_plan->plan);
    fftwf_free(m_plan->output);
    fftwf_free(m_plan->input);
}

void RealFft::forward(const float *input, std::complex<float> *output)
{
    std::copy(input, input + m_size, m_plan->input);
    fftwf_execute(m_plan->plan);
    const int bins = binCount();
    for (int k = 0; k < bins; ++k)
        output[k] = {m_plan->output[k][0], m_plan->output[k][1]};
}
