#pragma once

#include <QLoggingCategory>
#include <QString>
#include <QStringList>

#include <atomic>
#include <mutex>

// What the audio output notes in its debug log, swallowed here. It counts the notes that the
// server ran out of audio inside a line: a gap the program caused, told apart from one of the
// server's own (its audio thread held up by a busy machine while it had the whole line). It
// keeps what the audio helper noted, for a failure's report.
class AudioHelperNotes {
public:
    AudioHelperNotes()
    {
        QLoggingCategory::setFilterRules(QStringLiteral("kelvaro.speech.debug=true"));
        {
            const std::lock_guard lock(s_mutex);
            s_helperNotes.clear();
        }
        s_previous = qInstallMessageHandler(&note);
    }
    ~AudioHelperNotes()
    {
        qInstallMessageHandler(s_previous);
        QLoggingCategory::setFilterRules({});
    }
    AudioHelperNotes(const AudioHelperNotes&) = delete;
    AudioHelperNotes& operator=(const AudioHelperNotes&) = delete;

    int underflows() const { return s_underflows; }
    // What the audio helper noted, the latest last, for a failure's message.
    QString report() const
    {
        const std::lock_guard lock(s_mutex);
        return s_helperNotes.isEmpty()
            ? QStringLiteral("the helper noted nothing")
            : QStringLiteral("the helper noted: ") + s_helperNotes.join(u"; ");
    }

private:
    static void note(QtMsgType type, const QMessageLogContext& context, const QString& text)
    {
        if (type != QtDebugMsg || qstrcmp(context.category, "kelvaro.speech") != 0)
            s_previous(type, context, text);
        else if (text.contains(QLatin1String("ran out of audio inside a line")))
            ++s_underflows;
        else if (const QLatin1String noted("The audio helper notes: "); text.startsWith(noted)) {
            const std::lock_guard lock(s_mutex);
            s_helperNotes.append(text.mid(noted.size()).trimmed());
        }
    }

    static inline QtMessageHandler s_previous = nullptr;
    static inline std::atomic<int> s_underflows = 0;
    static inline std::mutex s_mutex;
    static inline QStringList s_helperNotes;
};
