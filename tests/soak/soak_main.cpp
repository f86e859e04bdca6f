// The soak run: hours of random use of the real main window, with invariants after every step.
// Usage: varkel_soak [--seed S] [--minutes N | --actions N] [--engines sqlite,postgresql,mariadb]
//                    [--no-faults] [--trace]
#include <QApplication>
#include <QStringList>
#include <clocale>
#include <cstdio>
#include <random>

#include "soak/soak_run.h"
#include "toolkit/combo_names.h"

// A small quarantine: freed memory held back for the use-after-free check would otherwise fill
// hundreds of megabytes first, and the resident memory check would measure it instead of us.
extern "C" const char* __asan_default_options() {
    return "quarantine_size_mb=16:allocator_release_to_os_interval_ms=500";
}

extern "C" const char* __lsan_default_options() {
    return "suppressions=" VARKEL_LSAN_SUPPRESSIONS;
}

// The sanitizers' hook for their last words; absent from a build without them.
extern "C" void __sanitizer_set_death_callback(void (*callback)()) __attribute__((weak));

namespace {

const varkel::test::SoakRun* g_run = nullptr;  // for the sanitizer's last words only
unsigned long long g_seed = 0;

void PrintRecentActions() {
    std::fprintf(stderr, "\nSOAK: the sanitizer ended the run (seed %llu). Last actions:\n",
                 g_seed);
    if (g_run)
        for (const QString& line : g_run->recentActions())
            std::fprintf(stderr, "  %s\n", line.toLocal8Bit().constData());
}

}  // namespace

int main(int argc, char** argv) {
    std::setlocale(LC_ALL, "");
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    varkel::NameCombosByLabel();

    varkel::test::SoakOptions options;
    options.seed = std::random_device{}();
    const QStringList args = QCoreApplication::arguments();
    for (qsizetype i = 1; i < args.size(); ++i) {
        const QString a = args[i];
        const QString value = i + 1 < args.size() ? args[i + 1] : QString();
        if (a == QStringLiteral("--seed")) {
            options.seed = value.toULongLong();
            ++i;
        } else if (a == QStringLiteral("--minutes")) {
            options.minutes = value.toInt();
            ++i;
        } else if (a == QStringLiteral("--actions")) {
            options.actions = value.toLong();
            options.minutes = 0;
            ++i;
        } else if (a == QStringLiteral("--engines")) {
            options.engines.clear();
            for (const QString& e : value.split(u',', Qt::SkipEmptyParts)) {
                if (e == QStringLiteral("sqlite"))
                    options.engines.push_back(varkel::test::Engine::SQLite);
                else if (e == QStringLiteral("postgresql"))
                    options.engines.push_back(varkel::test::Engine::PostgreSQL);
                else if (e == QStringLiteral("mariadb"))
                    options.engines.push_back(varkel::test::Engine::MariaDB);
                else {
                    std::fprintf(stderr, "unknown engine %s\n", e.toLocal8Bit().constData());
                    return 2;
                }
            }
            ++i;
        } else if (a == QStringLiteral("--trace")) {
            options.trace = true;
        } else if (a == QStringLiteral("--no-faults")) {
            options.faults = false;
        } else {
            std::fprintf(stderr,
                         "usage: varkel_soak [--seed S] [--minutes N | --actions N] "
                         "[--engines sqlite,postgresql,mariadb] [--no-faults] [--trace]\n");
            return 2;
        }
    }
    g_seed = options.seed;
    std::printf("soak: seed %llu\n", g_seed);
    std::fflush(stdout);
    if (__sanitizer_set_death_callback) __sanitizer_set_death_callback(PrintRecentActions);

    int code = 0;
    {
        varkel::test::SoakRun run(options);
        g_run = &run;
        QString why;
        if (!run.prepare(&why)) {
            std::fprintf(stderr, "soak: cannot start: %s\n", why.toLocal8Bit().constData());
            return 1;
        }
        code = run.run();
        const varkel::test::SoakCounts& c = run.counts();
        std::printf("soak: seed %llu: %ld actions, %ld invariant checks, no invariant broken\n",
                    g_seed, c.actions, c.checks);
        for (const auto& [kind, n] : c.kinds)
            std::printf("soak:   action %-50s %ld\n", kind.c_str(), n);
        for (const auto& [kind, n] : c.faults)
            std::printf("soak:   fault  %-50s %ld\n", kind.c_str(), n);
        std::printf(
            "soak: after 1,000 actions resident %ld MB, heap in use %ld MB; at the end %ld MB, "
            "%ld MB\n",
            c.rssStartKb / 1024, c.heapStartKb / 1024, c.rssEndKb / 1024, c.heapEndKb / 1024);
        g_run = nullptr;
    }
    return code;
}
