#include "window_fixture.h"

#include <QRandomGenerator>

#include <array>
#include <map>

using namespace Qt::StringLiterals;

namespace {

const QString Notice = u"Reset: [R] or [U]"_s;

// What the learner should see, worked out from the drill files alone, without the program's
// own code: the store of lines, the position, the clock and the captions.
struct Model {
    std::map<QString, QStringList> files; // the readable ones; any other path fails
    std::array<QString, 3001> store;
    QString fileName;
    int total = 0;
    int index = 0;
    int remaining = 0;
    bool finished = false;
    QTime start;
    QString display = u"SelectYourFile!"_s;
    QString count, time, rate;
    int fontSize = 100;
    int errors = 0;

    bool load(const QString& path)
    {
        const auto file = files.find(path);
        if (file == files.end()) {
            ++errors;
            return false;
        }
        for (qsizetype n = 0; n < file->second.size(); ++n)
            store[size_t(n)] = file->second[n];
        index = 0;
        return true;
    }

    void open(const QString& chosen)
    {
        if (chosen.isEmpty()) {
            fileName.clear();
            return;
        }
        if (!load(chosen))
            return;
        fileName = chosen;
        display.clear();
        total = remaining = int(files[chosen].size());
        count = u"count "_s + QString::number(remaining);
    }

    void show(int line)
    {
        index = line;
        display = store[size_t(index - 1)];
        count = u"count "_s + QString::number(remaining + 1);
    }

    void next(const QTime& now)
    {
        if (finished) {
            display = Notice;
            return;
        }
        if (remaining == total)
            start = now;
        if (remaining > 0) {
            --remaining;
            show(index + 1);
            return;
        }
        const int seconds = (start.secsTo(now) + 86400) % 86400;
        time = QString::number(seconds / 60) + u"' "_s + QString::number(seconds % 60) + u'"';
        if (seconds == 0)
            return;
        // Lines per minute, rounded half to even.
        const qint64 scaled = qint64(total) * 60;
        qint64 perMinute = scaled / seconds;
        const qint64 twiceLeft = 2 * (scaled % seconds);
        if (twiceLeft > seconds || (twiceLeft == seconds && perMinute % 2 == 1))
            ++perMinute;
        rate = QString::number(perMinute) + u" words/min"_s;
        display.clear();
        finished = true;
    }

    void repeat()
    {
        if (finished)
            display = Notice;
        else if (index > 0)
            show(index);
    }

    void back()
    {
        if (finished) {
            display = Notice;
        } else if (index > 1) {
            ++remaining;
            show(index - 1);
        }
    }

    void reset()
    {
        if (fileName.isEmpty() || !load(fileName))
            return;
        display.clear();
        remaining = total;
        time.clear();
        rate.clear();
        finished = false;
        count.clear();
    }
};

} // namespace

// Random keys and menu commands on the real window with every dialog faked, checked after
// every one against a model of the drill worked out from the files alone. The seed and the
// number of events can be set in KELVARO_MONKEY_SEED and KELVARO_MONKEY_EVENTS for a longer run.
class MonkeyTest : public QObject {
    Q_OBJECT

private slots:
    void randomUseAgreesWithTheModel()
    {
        const quint32 seed = qEnvironmentVariableIsSet("KELVARO_MONKEY_SEED")
            ? quint32(qEnvironmentVariableIntValue("KELVARO_MONKEY_SEED"))
            : 20261207;
        const int events = qEnvironmentVariableIsSet("KELVARO_MONKEY_EVENTS")
            ? qEnvironmentVariableIntValue("KELVARO_MONKEY_EVENTS")
            : 3000;
        qInfo("seed %u, %d events", seed, events);
        QRandomGenerator random(seed);

        WindowFixture f;
        Model model;
        model.files[u"five.txt"_s] = { u"いち"_s, u"に"_s, u"さん"_s, u"し"_s, u"ご"_s };
        model.files[u"two.txt"_s] = { u"The cat sat."_s, u"On the mat."_s };
        model.files[u"empty.txt"_s] = {};
        model.files[u"one.txt"_s] = { u"Reset: [R] or [U]"_s };
        f.onRead = [&](const QString& path) {
            const auto file = model.files.find(path);
            return file == model.files.end() ? DrillFileContents { {}, u"cannot be read"_s }
                                             : DrillFileContents { file->second, {} };
        };
        const QStringList choices
            = { u"five.txt"_s, u"two.txt"_s, u"empty.txt"_s, u"one.txt"_s, u"gone.txt"_s, {} };
        const QString keys = u"FJ DKSLRU10"_s;

        QStringList trail;
        for (int event = 0; event < events; ++event) {
            f.now = f.now.addSecs(random.bounded(0, 25));
            if (random.bounded(8) == 0) {
                const QString chosen = choices[random.bounded(int(choices.size()))];
                trail += u"open "_s + (chosen.isEmpty() ? u"(cancel)"_s : chosen);
                f.file = chosen;
                f.trigger("mnuFileOpen");
                model.open(chosen);
            } else {
                const QChar key = keys[random.bounded(int(keys.size()))];
                trail += key;
                f.type(Qt::Key(key.unicode()));
                switch (key.unicode()) {
                case u'F':
                case u'J':
                case u' ':
                    model.next(f.now);
                    break;
                case u'D':
                case u'K':
                    model.repeat();
                    break;
                case u'S':
                case u'L':
                    model.back();
                    break;
                case u'R':
                case u'U':
                    model.reset();
                    break;
                case u'1':
                    ++model.fontSize;
                    break;
                case u'0':
                    model.fontSize = std::max(1, model.fontSize - 1);
                    break;
                }
            }
            const QString expected = model.display + u'|' + (model.finished ? u"-"_s : model.count)
                + u'|' + u"FontSize "_s + QString::number(model.fontSize) + u'|' + model.rate + u'|'
                + model.time + u'|' + QString::number(model.errors);
            const QString seen
                = f.seen() + u'|' + f.caption("lblTime") + u'|' + QString::number(f.errors.size());
            if (seen != expected)
                qWarning("after: %s", qPrintable(trail.mid(trail.size() - 12).join(u", ")));
            QCOMPARE(seen, expected);
        }
        QCOMPARE(f.exits, 0);
    }
};

QTEST_MAIN(MonkeyTest)
#include "monkey_test.moc"
