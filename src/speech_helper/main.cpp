// Kelvaro's speech helper: reads lines from the program on standard input and answers with
// their audio on standard output (see helper_protocol.h). Started by the program; ends when
// the program closes the socket or dies.
//
// Options: --dictionary DIR (the Japanese dictionary), --flite-dir DIR (where the Flite
// voice libraries are), --espeak-data DIR (espeak-ng's data).
#include "helper_channel.h"
#include "utterance_synthesizer.h"

#include <QStringList>

#include <csignal>
#include <sys/prctl.h>
#include <unistd.h>

namespace {

SynthesisSetup setupFrom(const QStringList& arguments)
{
    SynthesisSetup setup;
    for (qsizetype i = 1; i + 1 < arguments.size(); i += 2) {
        const QString& option = arguments[i];
        const QString& value = arguments[i + 1];
        if (option == u"--dictionary")
            setup.dictionaryDir = value;
        else if (option == u"--flite-dir")
            setup.fliteLibraryDir = value;
        else if (option == u"--espeak-data")
            setup.espeakDataDir = value;
    }
    return setup;
}

} // namespace

int main(int argc, char* argv[])
{
    // Never outlive the program, even when it is killed.
    const pid_t parent = getppid();
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (getppid() != parent)
        return 0;

    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));

    UtteranceSynthesizer synthesizer(setupFrom(arguments));
    HelperChannel channel;
    if (!channel.sendReady(synthesizer.setupWarnings().join(u'\n').toUtf8()))
        return 1;
    while (const std::optional<HelperChannel::Request> request = channel.nextRequest()) {
        bool sent = true;
        synthesizer.render(
            request->text, request->voice, request->pace,
            [&](int sampleRate) { sent = sent && channel.sendBegin(sampleRate); },
            [&](const QList<qint16>& samples) { sent = sent && channel.sendSamples(samples); });
        if (!sent || !channel.sendEnd())
            return 1;
    }
    return 0;
}
