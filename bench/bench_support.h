#pragma once
// Shared set-up of the benchmarks: the base skin package in a Skins folder of their own.
#include "core/modGremlok.h"
#include "shell/frmMain.h"
#include "skins/SkinPaths.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>

// Copies the base skin package (the argument, else the one the build put beside the program,
// else the one in the sources) into `dir`/Skins and points the skin globals there.
inline bool SetUpBaseSkin(const QTemporaryDir& dir, int argc, char** argv)
{
    using namespace modGremlok;
    QString source = argc > 1 ? QString::fromLocal8Bit(argv[1])
                              : QCoreApplication::applicationDirPath() + QStringLiteral("/../Skins/Base Skin.ssz");
    if (!QFile::exists(source) && !qEnvironmentVariableIsEmpty("GREMLOK_SOURCE_DIR"))
        source = qEnvironmentVariable("GREMLOK_SOURCE_DIR") + QStringLiteral("/resources/skins/Base Skin.ssz");
    QDir().mkpath(dir.filePath(QStringLiteral("Skins")));
    if (!QFile::copy(source, dir.filePath(QStringLiteral("Skins/Base Skin.ssz")))) {
        std::fprintf(stderr, "no base skin package at %s\n", qPrintable(source));
        return false;
    }
    SkinPaths::SetProgramSkinsFolder(dir.filePath(QStringLiteral("Skins/")));
    SkinFolder = dir.filePath(QStringLiteral("simskin.tmp/"));
    Skin = BaseSkinName;
    return true;
}

// The game as a benchmark drives it: the base skin unpacked and loaded, the main window made,
// and nothing that would break into a run (no first-run tip, no scrambled screen, no unloading
// between fights).
inline bool SetUpGame(const QTemporaryDir& dir, int argc, char** argv)
{
    using namespace modGremlok;
    if (!SetUpBaseSkin(dir, argc, argv))
        return false;
    frmMain::instance();
    ReadScreenMetrics();
    LoadSkin();
    Scramble = false;
    FirstRun = false;
    AutoUnload = false;
    return true;
}

// Runs the event loop until `done` holds or `limitMs` has passed, checking every millisecond;
// returns whether it holds.
template <class F>
inline bool spin(F done, int limitMs = 5000)
{
    QElapsedTimer t;
    t.start();
    QEventLoop loop;
    QTimer check;
    check.setTimerType(Qt::PreciseTimer);
    QObject::connect(&check, &QTimer::timeout, &loop, [&] {
        if (done() || t.elapsed() >= limitMs)
            loop.quit();
    });
    check.start(1);
    if (!done())
        loop.exec();
    return done();
}
