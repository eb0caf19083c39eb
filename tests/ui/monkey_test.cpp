#include "window_fixture.h"

#include <QRandomGenerator>

#include <cmath>
#include <map>

using namespace Qt::StringLiterals;

namespace {

const QString Notice = u"Reset: [R] or [U]"_s;

// What the learner should see, worked out from the drill files alone, without the program's
// own code: the line on display (0 for none), whether the run is over, and the captions.
struct Model {
    std::map<QString, QStringList> files; // the readable ones; any other path fails
    QString fileName, display = u"SelectYourFile!"_s, count, time, rate;
    QStringList lines;
    int index = 0, fontSize = 100, errors = 0;
    bool finished = false;
    QTime start, now;

    // Once the run is over every step gives the notice; repeat and back stay on the first line.
    void show(int line)
    {
        if (finished)
            display = Notice;
        else if (line >= 1)
            index = line, display = lines[line - 1],
            count = u"count "_s + QString::number(lines.size() - line + 1);
    }
    void open(const QString& chosen)
    {
        if (!chosen.isEmpty() && !files.contains(chosen))
            return void(++errors);
        fileName = chosen;
        if (!chosen.isEmpty())
            lines = files[chosen], index = 0, display.clear(),
            count = u"count "_s + QString::number(lines.size());
    }
    void next()
    {
        if (!finished && index == 0)
            start = now;
        if (finished || index < lines.size())
            return show(index + 1);
        const int seconds = (start.secsTo(now) + 86400) % 86400;
        time = QString::number(seconds / 60) + u"' "_s + QString::number(seconds % 60) + u'"';
        if (seconds == 0)
            return;
        // Lines per minute, rounded half to even (the default rounding mode).
        rate = QString::number(std::lrint(60.0 * double(lines.size()) / seconds)) + u" words/min"_s;
        display.clear();
        finished = true;
    }
    void repeat() { show(index); }
    void back() { show(index > 1 ? index - 1 : 0); }
    void reset()
    {
        if (!fileName.isEmpty())
            lines = files[fileName], index = 0, finished = false, display.clear(), count.clear(),
            time.clear(), rate.clear();
    }
    void larger() { ++fontSize; }
    void smaller() { fontSize = std::max(1, fontSize - 1); }
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
        const std::pair<char16_t, void (Model::*)()> keys[]
            = { { u'F', &Model::next }, { u'J', &Model::next }, { u' ', &Model::next },
                  { u'D', &Model::repeat }, { u'K', &Model::repeat }, { u'S', &Model::back },
                  { u'L', &Model::back }, { u'R', &Model::reset }, { u'U', &Model::reset },
                  { u'1', &Model::larger }, { u'0', &Model::smaller } };

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
                const auto [key, step] = keys[random.bounded(int(std::size(keys)))];
                trail += QChar(key);
                f.type(Qt::Key(key));
                model.now = f.now;
                (model.*step)();
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
