#include "BenchRun.h"

#include <QElapsedTimer>
#include <QProcess>
#include <algorithm>
#include <cstdio>
#include <cstdlib>

using namespace Qt::StringLiterals;

namespace BenchRun {

[[noreturn]] void die(const QString& text) {
    std::fprintf(stderr, "contactos_bench: %s\n", qPrintable(text));
    std::exit(1);
}

Run run(const QString& program, const QStringList& arguments, bool discardOutput,
        const QString& inputFile) {
    QProcess p;
    p.setProcessChannelMode(QProcess::SeparateChannels);
    p.setProcessEnvironment(QProcessEnvironment::systemEnvironment());
    if (discardOutput) p.setStandardOutputFile(QProcess::nullDevice());
    if (!inputFile.isEmpty()) p.setStandardInputFile(inputFile);
    QElapsedTimer t;
    t.start();
    p.start(program, arguments);
    if (!p.waitForStarted(-1)) die(program + u" does not start"_s);
    p.waitForFinished(-1);
    Run r;
    r.wallMs = double(t.nsecsElapsed()) / 1e6;
    const QByteArray err = p.readAllStandardError();
    if (!err.isEmpty()) std::fprintf(stderr, "%s", err.constData());
    if (p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        die(program + u" "_s + arguments.join(u' ') +
            u" failed (exit code %1)"_s.arg(p.exitCode()));
    if (!discardOutput) r.output = p.readAllStandardOutput();
    return r;
}

Figures parse(const QByteArray& output) {
    Figures f;
    for (const QByteArray& line : output.split('\n')) {
        const QList<QByteArray> parts = line.trimmed().split(' ');
        if (parts.size() == 2) f[QString::fromLatin1(parts[0])] = parts[1].toDouble();
    }
    return f;
}

double median(std::vector<double> v) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

Figures medians(const std::vector<Figures>& runs) {
    Figures out;
    if (runs.empty()) return out;
    for (auto it = runs.front().cbegin(); it != runs.front().cend(); ++it) {
        std::vector<double> v;
        for (const Figures& f : runs)
            v.push_back(f.value(it.key()));
        out[it.key()] = median(v);
    }
    return out;
}

} // namespace BenchRun
