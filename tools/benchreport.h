#pragma once

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

#include <algorithm>
#include <cstdio>
#include <vector>

// What the benchmarks print: one line per figure on standard output, and the
// spread of timed samples in milliseconds.
namespace BenchReport {

inline void report(const QString &line)
{
    std::fputs(qPrintable(line + QLatin1Char('\n')), stdout);
}

struct Spread
{
    double median = 0.0;
    double p90 = 0.0;
    double max = 0.0;
};

// The benchmark's positional arguments, each optional and given by name and
// meaning; --help prints the usage with the description and ends the program.
inline QStringList arguments(const QCoreApplication &app, const QString &description,
                             const QList<QPair<QString, QString>> &positional = {})
{
    QCommandLineParser parser;
    parser.setApplicationDescription(description);
    parser.addHelpOption();
    for (const auto &argument : positional)
        parser.addPositionalArgument(argument.first, argument.second, QStringLiteral("[%1]").arg(argument.first));
    parser.process(app);
    return parser.positionalArguments();
}

// Milliseconds from nanosecond samples.
inline Spread spreadOf(std::vector<qint64> samples)
{
    if (samples.empty())
        return {};
    std::sort(samples.begin(), samples.end());
    const auto at = [&](double q) {
        return samples.at(std::min(samples.size() - 1, size_t(q * double(samples.size())))) / 1e6;
    };
    return {at(0.5), at(0.9), samples.back() / 1e6};
}

} // namespace BenchReport
