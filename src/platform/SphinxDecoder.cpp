#include "platform/SphinxDecoder.h"

#include <pocketsphinx.h>
#include <sphinxbase/cmn.h>
#include <sphinxbase/err.h>
#include <sphinxbase/feat.h>

#include <mutex>

using namespace Qt::StringLiterals;

namespace {

// Voice-activity settings, in 10 ms frames. The detector ends an utterance after
// kPostSpeechFrames of silence: 1.2 s, long enough that a speaker's hesitation inside a sentence
// (often half a second or more) does not cut it, and equal to the silence at which a meeting
// closes an utterance itself, so a meeting's own cut normally comes first. Speech must last
// 0.1 s to count, and 0.2 s before it is kept so the first word's onset is not clipped.
const char *const kPostSpeechFrames = "120";
const char *const kStartSpeechFrames = "10";
const char *const kPreSpeechFrames = "20";

std::mutex loadMutex;

} // namespace

std::unique_ptr<SphinxDecoder> SphinxDecoder::load(const SpeechModel &model, QString *error)
{
    // Decoders share sphinxbase's process-wide log. Silence it once, instead of "-logfn" per
    // decoder: every "-logfn" closes the log file the other decoders may be writing to.
    static std::once_flag logOff;
    std::call_once(logOff, [] { err_set_logfp(nullptr); });

    const QByteArray hmm = model.acousticModel.toLocal8Bit();
    const QByteArray lm = model.languageModel.toLocal8Bit();
    const QByteArray dict = model.dictionary.toLocal8Bit();
    std::lock_guard lock(loadMutex); // loading touches sphinxbase's global state
    cmd_ln_t *config =
        cmd_ln_init(nullptr, ps_args(), TRUE, "-hmm", hmm.constData(), "-lm", lm.constData(), "-dict",
                    dict.constData(), "-vad_postspeech", kPostSpeechFrames, "-vad_startspeech",
                    kStartSpeechFrames, "-vad_prespeech", kPreSpeechFrames, nullptr);
    ps_decoder_t *ps = config ? ps_init(config) : nullptr;
    if (config)
        cmd_ln_free_r(config); // the decoder keeps its own reference
    if (!ps) {
        if (error)
            *error = u"Could not load the speech model in "_s + model.acousticModel;
        return nullptr;
    }
    std::unique_ptr<SphinxDecoder> decoder(new SphinxDecoder);
    decoder->m_decoder = ps;
    cmn_t *cmn = ps_get_feat(ps)->cmn_struct;
    decoder->m_initialCepstralMean.resize(std::size_t(cmn->veclen));
    cmn_live_get(cmn, decoder->m_initialCepstralMean.data());
    return decoder;
}

SphinxDecoder::~SphinxDecoder()
{
    if (m_inUtterance)
        ps_end_utt(m_decoder);
    ps_free(m_decoder);
}

bool SphinxDecoder::startUtterance()
{
    // Each utterance starts from the model's own cepstral mean. The decoder otherwise carries
    // the mean of the last utterance over, and one that heard only silence skews it so far that
    // the next one's words come out garbled.
    cmn_live_set(ps_get_feat(m_decoder)->cmn_struct, m_initialCepstralMean.data());
    // Word times count from the start of the stream, not of the utterance: without a new stream
    // the words of a decoder's second utterance would be timed after all of its first.
    m_inUtterance = ps_start_stream(m_decoder) >= 0 && ps_start_utt(m_decoder) >= 0;
    return m_inUtterance;
}

bool SphinxDecoder::process(std::span<const std::int16_t> samples)
{
    return ps_process_raw(m_decoder, samples.data(), samples.size(), FALSE, FALSE) >= 0;
}

bool SphinxDecoder::inSpeech() const
{
    return ps_get_in_speech(m_decoder) != 0;
}

QString SphinxDecoder::hypothesis() const
{
    const char *words = ps_get_hyp(m_decoder, nullptr);
    return words ? QString::fromUtf8(words).trimmed() : QString();
}

bool SphinxDecoder::endUtterance()
{
    if (!m_inUtterance)
        return true;
    m_inUtterance = false;
    return ps_end_utt(m_decoder) >= 0;
}

QList<RecognizedWord> SphinxDecoder::words() const
{
    // Frames of 10 ms: the decoder's default frame rate, which the loaded models keep.
    constexpr double secondsPerFrame = 0.01;
    QList<RecognizedWord> words;
    for (ps_seg_t *segment = ps_seg_iter(m_decoder); segment; segment = ps_seg_next(segment)) {
        QString word = QString::fromUtf8(ps_seg_word(segment));
        // Silence and noise fillers ("<sil>", "[NOISE]") are not words of the text.
        if (word.isEmpty() || word.startsWith(u'<') || word.startsWith(u'['))
            continue;
        // Alternative pronunciations are numbered: "read(2)".
        if (const qsizetype variant = word.indexOf(u'('); variant > 0)
            word.truncate(variant);
        int first = 0;
        int last = 0;
        ps_seg_frames(segment, &first, &last);
        words.append({word, first * secondsPerFrame, (last + 1) * secondsPerFrame});
    }
    return words;
}
