#include "../drill/fake_drill.h"
#include "window_fixture.h"

#include <QRandomGenerator>

using namespace Qt::StringLiterals;

// Random keys and menu commands on the real window with every dialog faked, checked after
// every one against the same drill run on its own, stepped by the command each key stands
// for: what the learner sees must not depend on how the commands reach the drill. The seed
// and the number of events can be set in KELVARO_MONKEY_SEED and KELVARO_MONKEY_EVENTS for
// a longer run.
class MonkeyTest : public QObject {
    Q_OBJECT

private slots:
    void randomUseAgreesWithTheDrill()
    {
        const quint32 seed = qEnvironmentVariable("KELVARO_MONKEY_SEED", u"20261207"_s).toUInt();
        const int events = qEnvironmentVariable("KELVARO_MONKEY_EVENTS", u"3000"_s).toInt();
        qInfo("seed %u, %d events", seed, events);
        QRandomGenerator random(seed);

        WindowFixture f;
        FakeDrill drill;
        drill.display = u"SelectYourFile!"_s;
        drill.files[u"five.txt"_s] = { u"いち"_s, u"に"_s, u"さん"_s, u"し"_s, u"ご"_s };
        drill.files[u"two.txt"_s] = { u"The cat sat."_s, u"On the mat."_s };
        drill.files[u"empty.txt"_s] = {};
        drill.files[u"one.txt"_s] = { u"Reset: [R] or [U]"_s };
        drill.failing = { u"gone.txt"_s };
        f.onRead = [&](const QString& path) {
            return drill.failing.contains(path) ? DrillFileContents { {}, u"cannot be read"_s }
                                                : DrillFileContents { drill.files.value(path), {} };
        };
        const QStringList choices
            = { u"five.txt"_s, u"two.txt"_s, u"empty.txt"_s, u"one.txt"_s, u"gone.txt"_s, {} };
        // Each key with the drill's key for it; 1 and 0 change the font size instead.
        const std::pair<char16_t, char16_t> keys[] = { { u'F', u'F' }, { u'J', u'F' },
            { u' ', u'F' }, { u'D', u'D' }, { u'K', u'D' }, { u'S', u'S' }, { u'L', u'S' },
            { u'R', u'R' }, { u'U', u'R' }, { u'1', u'1' }, { u'0', u'0' } };

        QStringList trail;
        int fontSize = 100;
        for (int event = 0; event < events; ++event) {
            const int seconds = random.bounded(0, 25);
            f.now = f.now.addSecs(seconds);
            drill.ms += seconds * 1000;
            if (random.bounded(8) == 0) {
                const QString chosen = choices[random.bounded(int(choices.size()))];
                trail += u"open "_s + (chosen.isEmpty() ? u"(cancel)"_s : chosen);
                f.file = chosen;
                f.trigger("mnuFileOpen");
                drill.open(chosen);
            } else {
                const auto [key, command] = keys[random.bounded(int(std::size(keys)))];
                trail += QChar(key);
                f.type(Qt::Key(key));
                if (command == u'1' || command == u'0')
                    fontSize = std::max(1, fontSize + (command == u'1' ? 1 : -1));
                else
                    drill.type(QStringView(&command, 1));
            }
            const QString expected = drill.display + u'|'
                + (drill.countVisible ? drill.count : u"-"_s) + u"|FontSize "_s
                + QString::number(fontSize) + u'|' + drill.rate + u'|' + drill.time + u'|'
                + QString::number(drill.errors.size());
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
