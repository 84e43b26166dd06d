#pragma once

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QStringList>
#include <vector>

// Running the measuring processes and reading their figures.
namespace BenchRun {

using Figures = QMap<QString, double>;

struct Run {
    QByteArray output;
    double wallMs = 0;
};

// Prints the failure and ends the benchmark (exit handlers run: a server it started stops).
[[noreturn]] void die(const QString& text);
// Runs a program to its end; its output is kept unless it goes to /dev/null. Dies when the
// program fails.
Run run(const QString& program, const QStringList& arguments, bool discardOutput = false,
        const QString& inputFile = {});
// The "key value" lines of a measuring run.
Figures parse(const QByteArray& output);
double median(std::vector<double> v);
// The median of each figure over several runs.
Figures medians(const std::vector<Figures>& runs);

} // namespace BenchRun
