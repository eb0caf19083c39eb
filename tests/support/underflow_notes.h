#pragma once

#include <QLoggingCategory>
#include <QString>
#include <QStringList>

#include <atomic>
#include <mutex>

// Counts the output's notes that the server ran out of audio inside a line: a gap the program
// caused, told apart from one of the server's own (its audio thread held up by a busy machine
// while it had the whole line). Keeps what the audio helper noted, for a failure's report. The
// notes are debug messages, swallowed here.
class UnderflowNotes {
public:
    UnderflowNotes()
    {
        QLoggingCategory::setFilterRules(QStringLiteral("kelvaro.speech.debug=true"));
        {
            const std::lock_guard lock(s_mutex);
            s_helperNotes.clear();
        }
        s_previous = qInstallMessageHandler(&note);
    }
    ~UnderflowNotes()
    {
        qInstallMessageHandler(s_previous);
        QLoggingCategory::setFilterRules({});
    }
    UnderflowNotes(const UnderflowNotes&) = delete;
    UnderflowNotes& operator=(const UnderflowNotes&) = delete;

    int count() const { return s_count; }
    // What the audio helper noted, the latest last.
    static QStringList helperNotes()
    {
        const std::lock_guard lock(s_mutex);
        return s_helperNotes;
    }

private:
    static void note(QtMsgType type, const QMessageLogContext& context, const QString& text)
    {
        if (type != QtDebugMsg || qstrcmp(context.category, "kelvaro.speech") != 0)
            s_previous(type, context, text);
        else if (text.contains(QLatin1String("ran out of audio inside a line")))
            ++s_count;
        else if (const QLatin1String noted("The audio helper notes: "); text.startsWith(noted)) {
            const std::lock_guard lock(s_mutex);
            s_helperNotes.append(text.mid(noted.size()).trimmed());
        }
    }

    static inline QtMessageHandler s_previous = nullptr;
    static inline std::atomic<int> s_count = 0;
    static inline std::mutex s_mutex;
    static inline QStringList s_helperNotes;
};
