// SPDX-License-Identifier: GPL-3.0-or-later
#include "TestSupport.h"

#include "platform/SoundOutput.h"
#include "platform/WaveClip.h"

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

// Notes which of the program's clips each request plays, told by the clip files it is built
// from rather than by its own loader, and with which flags; with soundDecides on, what the
// output then decides too.
class SoundRecorder : public platform::SoundOutput
{
    using SoundOutput::SoundOutput;
    void playSound(const QByteArray &image, int flags) override
    {
        m_clip = "(not a clip)";
        for (const QFileInfo &clip :
             QDir(QT_TESTCASE_SOURCEDIR "/../resources/clips").entryInfoList(QDir::Files))
            if (QFile file(clip.filePath());
                file.open(QIODevice::ReadOnly) && file.readAll() == image)
                m_clip = clip.baseName();
        const QString given = QString::number(flags & ~platform::SndMemory);
        soundRequests << m_clip + (given == "2" ? "" : ' ' + given); // 2: silent, synchronous
        if (soundDecides)
            SoundOutput::playSound(image, flags);
    }
    void askServer() override { soundRequests << "asks"; }
    // In the sink's place: it stops with the playback, before the samples it reads are
    // freed or emptied; "let go while playing" tells otherwise.
    bool startSink(platform::Playback &playback) override
    {
        soundRequests << m_clip + " plays"; // the clip asked for last: the only one that may start
        const auto stopped = std::make_shared<bool>(false);
        QIODevice *samples = playback.samples();
        connect(&playback, &platform::Playback::finished, [=, c = m_clip, all = samples->size()] {
            soundRequests << c + ((*stopped = samples->size() == all) ? " stops"
                                                                      : " let go while playing");
        });
        connect(samples, &QObject::destroyed, [=, c = m_clip] {
            soundRequests << (*stopped ? QStringList() : QStringList(c + " let go while playing"));
        });
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
