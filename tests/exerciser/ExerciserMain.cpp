// SPDX-License-Identifier: GPL-3.0-or-later
// Runs the exerciser: fl_exerciser [--seed N] [--steps N] [--seconds S].
// What the arguments leave out the environment may give, so that a failing
// run is replayed as its report says: FL_EXERCISER_SEED,
// FL_EXERCISER_STEPS, FL_EXERCISER_SECONDS. Without a seed a fresh one is
// drawn and printed.
// FL_EXERCISER_LOG names a file that keeps the step list of any run.
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <random>
#include <string>
#include <unistd.h>

#include "exerciser/Exerciser.h"

namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr bool UnderAddressSanitizer = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool UnderAddressSanitizer = true;
#else
constexpr bool UnderAddressSanitizer = false;
#endif
#else
constexpr bool UnderAddressSanitizer = false;
#endif

// What a crash prints: made before the run, since a signal handler may only
// write.
char crashReport[1024];

void ReportCrash(int signal)
{
    const ssize_t written = write(STDERR_FILENO, crashReport, std::strlen(crashReport));
    (void)written;
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

const char* Setting(const char* environment, int argc, char** argv, const char* option)
{
    for (int i = 1; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], option) == 0)
            return argv[i + 1];
    const char* value = std::getenv(environment);
    return value && *value ? value : nullptr;
}

// The offscreen platform says for every popup that it cannot grab the
// keyboard or raise a window; the rest of what Qt reports is kept.
void FilterQtMessages(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (message.startsWith(QLatin1String("This plugin does not support")))
        return;
    std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, message)));
}

} // namespace

int main(int argc, char** argv)
{
    // Offscreen, whatever the caller's display: the run is the same
    // everywhere, and the clipboard is the process's own.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    qInstallMessageHandler(FilterQtMessages);

    fl::exerciser::TExerciserOptions options;
    if (const char* seed = Setting("FL_EXERCISER_SEED", argc, argv, "--seed"))
        options.Seed = std::strtoull(seed, nullptr, 10);
    else
        options.Seed = std::random_device{}() ^
                       static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
    if (const char* steps = Setting("FL_EXERCISER_STEPS", argc, argv, "--steps"))
        options.MaxSteps = std::atoi(steps);
    if (const char* seconds = Setting("FL_EXERCISER_SECONDS", argc, argv, "--seconds"))
        options.Seconds = std::atof(seconds);
    if (options.MaxSteps <= 0 && options.Seconds <= 0)
        options.MaxSteps = 500;
    // Beside the scratch folder, which goes with the run: a crash leaves it.
    // A log asked for by name stays after a run that passed too.
    const char* kept = std::getenv("FL_EXERCISER_LOG");
    const std::string log =
        kept && *kept
            ? std::string(kept)
            : QDir::temp().filePath(QStringLiteral("fl-exerciser-%1.log").arg(options.Seed)).toStdString();
    options.LogPath = log;
    options.CompanionLibrary = FL_COMPANION_LIBRARY;
    options.CorpusFolder = FL_SHARED_DIR "/corpus";

    try {
        fl::exerciser::TExerciser exerciser(options);
        std::snprintf(crashReport, sizeof crashReport,
                      "\nexerciser: CRASHED with seed %llu; replay with FL_EXERCISER_SEED=%llu; "
                      "the steps up to the crash are in %s\n",
                      static_cast<unsigned long long>(options.Seed),
                      static_cast<unsigned long long>(options.Seed), exerciser.LogPath().c_str());
        // The address sanitizer reports bad accesses from its own handlers
        // and then aborts: only the abort is ours there.
        for (int signal : {SIGSEGV, SIGABRT, SIGBUS, SIGFPE, SIGILL})
            if (!UnderAddressSanitizer || signal == SIGABRT)
                std::signal(signal, ReportCrash);
        if (options.MaxSteps > 0)
            std::printf("exerciser: seed %llu, %d steps\n", static_cast<unsigned long long>(options.Seed),
                        options.MaxSteps);
        else
            std::printf("exerciser: seed %llu, %g s\n", static_cast<unsigned long long>(options.Seed),
                        options.Seconds);
        std::fflush(stdout);

        QElapsedTimer clock;
        clock.start();
        const bool held = exerciser.Run();
        const double seconds = static_cast<double>(clock.elapsed()) / 1000.0;
        if (!held) {
            std::fprintf(stderr, "exerciser: FAILED at %s\n", exerciser.Failure().c_str());
            std::fprintf(stderr, "exerciser: replay with FL_EXERCISER_SEED=%llu FL_EXERCISER_STEPS=%d\n",
                         static_cast<unsigned long long>(options.Seed), exerciser.StepsRun());
            const auto& steps = exerciser.StepList();
            // Long runs print their end; the whole list stays in the log.
            const size_t first = steps.size() > 400 ? steps.size() - 400 : 0;
            std::fprintf(stderr, "exerciser: the steps%s (all of them in %s):\n",
                         first ? ", the last 400 lines" : "", exerciser.LogPath().c_str());
            for (size_t i = first; i < steps.size(); ++i)
                std::fprintf(stderr, "%s\n", steps[i].c_str());
            return 1;
        }
        std::printf("exerciser: %d steps in %.1f s (%.0f steps per second), every check held\n",
                    exerciser.StepsRun(), seconds, exerciser.StepsRun() / std::max(seconds, 0.001));
        if (!kept || !*kept)
            std::remove(log.c_str());
    } catch (const std::exception& error) {
        std::fprintf(stderr, "exerciser: could not run: %s\n", error.what());
        return 2;
    }
    return 0;
}
