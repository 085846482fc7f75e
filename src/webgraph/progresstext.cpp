#include "webgraph/progresstext.h"

#include <QLocale>

using namespace Qt::StringLiterals;

namespace {

QString fileName(graphindex::GraphFile file)
{
    switch (file) {
    case graphindex::GraphFile::Ranks:
        return u"ranks"_s;
    case graphindex::GraphFile::Vertices:
        return u"vertices"_s;
    case graphindex::GraphFile::Edges:
        return u"edges"_s;
    }
    return {};
}

} // namespace

QString progressText(const ReleaseReading::Progress& progress, qint64 elapsedMs)
{
    const QLocale c = QLocale::c();
    const auto size = [&c](qint64 bytes) { return c.formattedDataSize(bytes, 1, QLocale::DataSizeSIFormat); };
    QString text = fileName(progress.file) + u": "_s + size(progress.done);
    if (progress.size > 0)
        text += u" of "_s + size(progress.size);
    if (elapsedMs >= 1000 && progress.done > 0) {
        const double rate = double(progress.done) * 1000.0 / double(elapsedMs);
        text += u", "_s + size(qint64(rate)) + u"/s"_s;
        if (progress.size > progress.done) {
            const auto left = qint64(double(progress.size - progress.done) / rate);
            text += u", %1:%2 left"_s.arg(left / 60).arg(left % 60, 2, 10, QChar(u'0'));
        }
    }
    return text;
}
