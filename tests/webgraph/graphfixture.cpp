#include "webgraph/graphfixture.h"

#include <QDir>
#include <QFile>

#include <zlib.h>

#include <cstring>

QByteArray gzipped(QByteArrayView data, bool twoMembers)
{
    const auto member = [](QByteArrayView part) {
        z_stream z;
        std::memset(&z, 0, sizeof z);
        deflateInit2(&z, 6, Z_DEFLATED, 16 + MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
        QByteArray out(qsizetype(deflateBound(&z, uLong(part.size()))) + 64, Qt::Uninitialized);
        z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(part.data()));
        z.avail_in = uInt(part.size());
        z.next_out = reinterpret_cast<Bytef*>(out.data());
        z.avail_out = uInt(out.size());
        deflate(&z, Z_FINISH);
        out.resize(qsizetype(z.total_out));
        deflateEnd(&z);
        return out;
    };
    if (!twoMembers)
        return member(data);
    const qsizetype half = data.size() / 2;
    return member(data.first(half)) + member(data.sliced(half));
}

namespace graphfixture {

QByteArray index()
{
    return R"([
 {"id": "cc-main-2026-apr-may-jun", "crawls": ["CC-MAIN-2026-17", "CC-MAIN-2026-21", "CC-MAIN-2026-26"],
  "stats": {"host": {"nodes": 11, "arcs": 20}, "domain": {"nodes": 6, "arcs": 8}}, "location": "elsewhere"},
 {"id": "../escape", "crawls": []},
 {"crawls": ["no id"]},
 {"id": "cc-main-2026-jan-feb-mar", "crawls": ["CC-MAIN-2026-05", "CC-MAIN-2026-08", "CC-MAIN-2026-13"]}
])";
}

QByteArray ranks(const char* release)
{
    if (std::strcmp(release, Newest) == 0)
        return "#harmonicc_pos\t#harmonicc_val\t#pr_pos\t#pr_val\t#host_rev\t#n_hosts\n"
               "1\t2.9799486E7\t2\t0.0123\tcom.example\t3\n"
               "2\t1.5E7\t1\t0.02\tuk.co.example\t4\n"
               "3\t9876543.0\t4\t0.001\tcom.other\t2\n"
               "4\t5.0E6\t3\t0.005\tcom.only-linked\t1\n"
               "5\t1234.5\t6\t1.5E-9\tde.xn--bcher-kva\t1\n"
               "6\t1000.0\t5\t2.0E-9\torg.linker\t1\n";
    return "#harmonicc_pos\t#harmonicc_val\t#pr_pos\t#pr_val\t#host_rev\t#n_hosts\n"
           "7\t42.0\t8\t0.5\tcom.example\t2\n";
}

QByteArray vertices(const char* release)
{
    if (std::strcmp(release, Newest) == 0)
        return "0\tcom.example\t3\n1\tcom.only-linked\t1\n2\tcom.other\t2\n3\tde.xn--bcher-kva\t1\n"
               "4\torg.linker\t1\n5\tuk.co.example\t4\n";
    return "0\tcom.example\t2\n";
}

QByteArray edges(const char* release)
{
    if (std::strcmp(release, Newest) == 0)
        return "0\t2\n0\t5\n2\t0\n3\t0\n4\t0\n4\t1\n4\t5\n5\t0\n";
    return "";
}

QByteArray path(const char* release, const char* file)
{
    return QByteArray("/projects/hyperlinkgraph/") + release + "/domain/" + release + "-domain-" + file + ".txt.gz";
}

namespace {

template <typename Write> void eachFile(Write write)
{
    for (const char* release : {Newest, Older}) {
        write(path(release, "ranks"), gzipped(ranks(release)));
        write(path(release, "vertices"), gzipped(vertices(release)));
        write(path(release, "edges"), gzipped(edges(release)));
    }
}

} // namespace

void serve(HttpTestServer& server)
{
    server.answer("/graphinfo.json", ServerReply::file(index()));
    eachFile(
        [&server](const QByteArray& path, const QByteArray& bytes) { server.answer(path, ServerReply::file(bytes)); });
}

bool writeTo(const QString& folder)
{
    bool written = true;
    eachFile([&](const QByteArray& path, const QByteArray& bytes) {
        const QString name = folder + QString::fromLatin1(path);
        QFile file(name);
        written = written && QDir().mkpath(QFileInfo(name).path()) && file.open(QIODevice::WriteOnly) &&
                  file.write(bytes) == bytes.size();
    });
    return written;
}

} // namespace graphfixture
