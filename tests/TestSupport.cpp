// SPDX-License-Identifier: GPL-3.0-or-later
#include "TestSupport.h"

#include "platform/WaveClip.h"
#include "platform/SoundOutput.h"

#include <QtTest>
#include <QtWidgets>

namespace testsupport {

QStringList logged(const QString &file)
{
    QFile log(file);
    // Only a plain file: a pipe or a device in its place would never end.
    if (!QFileInfo(log).isFile() || !log.open(QIODevice::ReadOnly))
        return {};
    QStringList lines = QString::fromUtf8(log.readAll()).split("\r\n");
    lines.removeLast(); // what follows the last CR LF: nothing, in a whole log
    // "date", "time", Unit, Procedure, message
    return lines.replaceInStrings(
        QRegularExpression(R"(^"[^"]*", "\d\d:\d\d:\d\d"(?=, \w+, \w+, ))"), {});
}

// Run by hand, a test would make its files in the root folder and its settings
// in the user's own: only tests/run-isolated gives it folders of its own.
QString scratch(const QString &relative)
{
    const QString folder = qEnvironmentVariable("LEVRUN_TEST_SCRATCH");
    if (folder.isEmpty())
        qFatal("no scratch folder: run the tests through ctest (tests/run-isolated)");
    return QDir(folder).filePath(relative);
}

// Notes which of the program's clips each request plays, and with which flags;
// with soundDecides on, what the output then decides too.
class SoundRecorder : public platform::SoundOutput
{
    using SoundOutput::SoundOutput;
    void playSound(const QByteArray &image, int flags) override
    {
        m_clip = "(not a clip)";
        for (const QString name : {"WAV1", "WAV2", "WAV3", "WAV4", "WAV5", "WAV6"})
            if (platform::loadResource("WAVE", name) == image)
                m_clip = name;
        const QString given = QString::number(flags & ~platform::SndMemory);
        soundRequests << m_clip + (given == "2" ? "" : ' ' + given); // 2: silent, synchronous
        if (soundDecides)
            SoundOutput::playSound(image, flags);
    }
    void askServer() override { soundRequests << "asks"; }
    bool startSink(platform::Playback &playback) override
    {
        soundRequests << m_clip + " plays"; // the clip asked for last: the only one that may start
        connect(&playback, &platform::Playback::finished,
                [c = m_clip] { soundRequests << c + " stops"; });
        playback.endIn(0);
        return true;
    }
    QString m_clip;
};

void setUpApplication()
{
    scratch();
    new SoundRecorder(qApp); // found before the real one, owned by the application
}

bool shell(const QByteArray &script)
{
    return std::system("S=$LEVRUN_TEST_SCRATCH STORE=$XDG_CONFIG_HOME/Levrun/Levrun.ini\n" +
                       script) == 0;
}

QLineEdit *folderBox(QWidget &window)
{
    return window.findChild<QLineEdit *>("txtDukePath");
}

} // namespace testsupport
