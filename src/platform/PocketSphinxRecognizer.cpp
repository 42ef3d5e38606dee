#include "platform/PocketSphinxRecognizer.h"

#include "platform/DecoderPool.h"
#include "platform/PocketSphinxTask.h"

#include <condition_variable>
#include <map>
#include <mutex>
#include <thread>

struct PocketSphinxRecognizer::Shared
{
    explicit Shared(SpeechModel model) : pool(std::move(model)) {}

    DecoderPool pool;
    std::mutex mutex; // guards the two below
    std::condition_variable threadEnded;
    int threads = 0;
    std::vector<std::weak_ptr<SphinxTaskState>> tasks;
};

namespace {

// The recogniser whose thread this is, so its destructor does not wait for itself.
thread_local const void *currentRecognizer = nullptr;

// Runs `work` on a thread of its own that keeps `shared` alive and is counted in it.
template<typename Shared, typename Work>
void spawn(const std::shared_ptr<Shared> &shared, Work work)
{
    {
        std::lock_guard lock(shared->mutex);
        ++shared->threads;
    }
    std::thread([shared, work = std::move(work)]() mutable {
        currentRecognizer = shared.get();
        work();
        std::lock_guard lock(shared->mutex);
        --shared->threads;
        shared->threadEnded.notify_all();
    }).detach();
}

} // namespace

PocketSphinxRecognizer::PocketSphinxRecognizer(SpeechModel model)
    : m_shared(std::make_shared<Shared>(std::move(model)))
{
    spawn(m_shared, [shared = m_shared.get()] { shared->pool.preload(); });
}

PocketSphinxRecognizer::~PocketSphinxRecognizer()
{
    std::vector<std::shared_ptr<SphinxTaskState>> running;
    {
        std::lock_guard lock(m_shared->mutex);
        for (const auto &task : m_shared->tasks) {
            if (auto state = task.lock())
                running.push_back(std::move(state));
        }
    }
    for (const auto &state : running)
        PocketSphinxTask::cancelTask(*state);
    if (currentRecognizer == m_shared.get())
        return; // the last thread to finish frees what is shared
    std::unique_lock lock(m_shared->mutex);
    m_shared->threadEnded.wait(lock, [this] { return m_shared->threads == 0; });
}

bool PocketSphinxRecognizer::isAvailable() const
{
    return !m_shared->pool.hasFailed();
}

QString PocketSphinxRecognizer::localeIdentifier() const
{
    return m_shared->pool.model().localeIdentifier;
}

std::unique_ptr<RecognitionTask> PocketSphinxRecognizer::startTask(double sampleRate, Handler handler)
{
    auto state = std::make_shared<SphinxTaskState>(sampleRate, std::move(handler));
    {
        std::lock_guard lock(m_shared->mutex);
        std::erase_if(m_shared->tasks, [](const auto &task) { return task.expired(); });
        m_shared->tasks.push_back(state);
    }
    spawn(m_shared, [state, shared = m_shared.get()] { PocketSphinxTask::run(*state, shared->pool); });
    return std::make_unique<PocketSphinxTask>(state);
}

SpeechRecognizerProvider pocketSphinxRecognizerProvider(const QString &modelsRoot)
{
    struct Recognizers
    {
        std::mutex mutex;
        std::map<QString, std::shared_ptr<PocketSphinxRecognizer>> byModel;
    };
    auto recognizers = std::make_shared<Recognizers>();
    return [recognizers, modelsRoot](const QString &localeName) -> std::shared_ptr<SpeechRecognizer> {
        auto model = findSpeechModel(localeName, modelsRoot);
        if (!model)
            return nullptr;
        std::lock_guard lock(recognizers->mutex);
        auto &recognizer = recognizers->byModel[model->acousticModel];
        if (!recognizer)
            recognizer = std::make_shared<PocketSphinxRecognizer>(std::move(*model));
        return recognizer;
    };
}
