// SPDX-License-Identifier: GPL-3.0-or-later
// Hostile inputs, one a line of cases.tsv: a shell snippet makes the input in
// a folder of the case's own, the window meets it, and the exact log lines, the
// list and the game started are checked, and that a good folder still lists
// and plays afterwards. No input may run anything: each injection tries to
// make a file named "canary".
#include "Main.h"
#include "TestSupport.h"
#include "platform/ListView.h"
#include "platform/TestSeams.h"
#include "platform/Text.h"

#include <QtTest>
#include <QtWidgets>

#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace testsupport;

// The table's shell helpers, its header says what they do; any failing step fails the case.
static const QByteArray helpers = R"(set -e
maps() { [ $# -gt 0 ] || set E1L1.MAP; truncate -s 100 -- "$@"; }
game() { cp "$S/standin" duke3d; maps "$@"; }
kept() { printf '[Config]\nDukePath=/kept\n' >"$STORE"; }
saved() { grep -qx "DukePath=$S/good" "$STORE"; }
)";

static QByteArray contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// True once every game started so far has ended, its note written. This process is the
// subreaper of its descendants (initTestCase), so a game started through a child that ends at
// once is still its child: while none is left, no note is still to come. The good folder's
// note alone would bound nothing, as two games started one after the other run side by side.
static bool gamesEnded()
{
    for (pid_t pid;;)
        if ((pid = ::waitpid(-1, nullptr, WNOHANG)) <= 0)
            return pid < 0 && errno == ECHILD;
}

class tst_BadInput : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        setUpApplication();
        QVERIFY(::prctl(PR_SET_CHILD_SUBREAPER, 1) == 0);
        qputenv("PATH", QFile::encodeName(scratch("bin")) + ':' + qgetenv("PATH"));
        // The stand-in game notes its arguments in the folder it was started in.
        // In S: standin, a stand-in game; bin, a folder on PATH; good, a good game folder.
        QVERIFY(shell(R"(cd "$S" && mkdir bin good && truncate -s 100 good/E1L1.MAP
            printf '#!/bin/sh\nprintf "%%s\\0" "$@" >>launched\n' >standin
            chmod +x standin && cp standin good/duke3d)"));
        // A map that goes when its length is asked for.
        platform::seams::lengthQuery = [](const QString &path) {
            if (path.endsWith("/VANISH.MAP"))
                QFile::remove(path);
        };
    }

    void cases_data()
    {
        QTest::addColumn<QList<QByteArray>>("fields"); // as cases.tsv describes them
        for (const QByteArray &line : contents(QFINDTESTDATA("cases.tsv")).split('\n'))
            if (!line.isEmpty() && !line.startsWith('#'))
                QTest::newRow(line.left(line.indexOf('\t'))) << line.split('\t');
    }

    void cases()
    {
        QFETCH(QList<QByteArray>, fields);
        QVERIFY(fields.size() >= 5 && fields.size() <= 7);
        fields.resize(7);
#ifdef LEVRUN_PORTABLE // QProcess passes text only: a map name that is not starts nothing
        if (fields[0].contains("not UTF-8") && fields[3].contains('%'))
            fields[4] = "no", fields[5] = "!Bad file name or number";
#endif
        const QByteArray names = QByteArray::fromPercentEncoding(fields[3]);
        const QString dir = scratch(QTest::currentDataTag());
        QVERIFY(QDir().mkpath(dir) && QDir::setCurrent(dir));
        QVERIFY(shell(helpers + R"((cd "$S" && chmod -R u+rwX config && rm -rf config/Levrun
            rm -rf bin/* good/launched good/Levrun.VNL && mkdir config/Levrun)
            )" + fields[1] +
                      "\nprintf %s " + fields[2] + " >\"$S/folder\""));
        // Where the log's lines go when it cannot be written.
        QFile errors(scratch("stderr"));
        QVERIFY(errors.open(QIODevice::ReadWrite | QIODevice::Truncate));
        {
            const auto undo = qScopeGuard([saved = ::dup(2)] { ::dup2(saved, 2), ::close(saved); });
            ::dup2(errors.handle(), 2);
            frmMain window;
            window.showCentred();
            auto &items = window.findChild<platform::ListView *>("lvwMaps")->items();
            // Refresh, the list as "name|size" rows as it shows them, then Play.
            const auto refreshAndPlay = [&](const QString &text) {
                folderBox(window)->setText(text);
                QTest::mouseClick(window.findChild<QPushButton *>("cmdRefresh"), Qt::LeftButton);
                QStringList shown;
                for (int row = 0; row < items.count(); ++row)
                    shown << items.index(row, 0).data().toString() + '|' +
                                 items.index(row, 1).data().toString();
                QTest::mouseClick(window.findChild<QPushButton *>("cmdPlay"), Qt::LeftButton);
                return shown;
            };
            const QString text = platform::fromNativeName(contents(scratch("folder")));
            if (!text.isEmpty())
                QCOMPARE(refreshAndPlay(text),
                         QString::fromUtf8(names).split('/', Qt::SkipEmptyParts));
            QCOMPARE(refreshAndPlay(scratch("good")), QStringList{"E1L1.MAP|100"});
            window.close();
        }
        QTRY_VERIFY_WITH_TIMEOUT(gamesEnded(), 10000);
        QCOMPARE(contents(scratch("good/launched")), QByteArray("-map\0E1L1.MAP\0", 14));
        const QByteArray first = names.split('/').first();
        const QByteArray map = first.left(first.lastIndexOf('|'));
        QCOMPARE(contents(dir + "/launched"),
                 fields[4] == "yes" ? QByteArray("-map") + '\0' + map + '\0' : QByteArray());
        // "=WHY": a folder that fails for WHY, refreshed and played; "!WHY": Play failing for WHY.
        const QString log = QString::fromUtf8(fields[5]).replace(
            QRegularExpression("=([^;]*)"), "LoadMaps, \\1; cmdPlay_Click, \\1; cmdPlay_Click, "
                                            "Object variable or With block variable not set");
        QCOMPARE(logged(dir + "/Levrun.VNL") + logged(scratch("good/Levrun.VNL")) +
                     logged(errors.fileName()),
                 log.split("; ", Qt::SkipEmptyParts)
                     .replaceInStrings(QRegularExpression("^!"), "cmdPlay_Click, ")
                     .replaceInStrings(QRegularExpression("^"), ", Main, "));
        QVERIFY(shell(helpers + "{ true\n" + fields[6] +
                      "\n} && ! find \"$S\" -name canary 2>/dev/null | grep ."));
    }
};

QTEST_MAIN(tst_BadInput)
#include "tst_badinput.moc"
