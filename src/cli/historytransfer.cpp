#include "cli/historytransfer.h"

#include "cli/console.h"
#include "cli/exitstatus.h"
#include "cli/invocation.h"
#include "domains/outputfile.h"
#include "history/historystore.h"
#include "workflows/listsession.h"

#include <QCommandLineParser>
#include <QIODevice>

using namespace Qt::StringLiterals;

namespace {

// Standard output as a device, for an export to "-": written as it comes, so that a long history is never held.
// A write fails once standard output has failed or a termination signal came, and that ends the export.
class OutputDevice final : public QIODevice {
public:
    explicit OutputDevice(const Invocation& invocation)
        : m_invocation(invocation)
    {
        open(QIODevice::WriteOnly);
    }

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char* data, qint64 size) override
    {
        m_invocation.console.print(QByteArray::fromRawData(data, size));
        return m_invocation.console.outputFailed() || m_invocation.signalReceived() != 0 ? -1 : size;
    }

private:
    const Invocation& m_invocation;
};

int signalStatus(const Invocation& invocation)
{
    return ExitStatus::SignalBase + invocation.signalReceived();
}

} // namespace

std::optional<HistoryFormat> historyFileFormat(const Invocation& invocation, const QString& option, const QString& path)
{
    if (invocation.parser.isSet(u"format"_s)) {
        const QString name = invocation.parser.value(u"format"_s);
        if (name == u"csv"_s || name == u"json"_s)
            return name == u"csv"_s ? HistoryFormat::Csv : HistoryFormat::Json;
        invocation.console.error(u"%1 takes the format csv or json, not %2"_s.arg(option, name));
        return std::nullopt;
    }
    if (path == u"-"_s)
        return HistoryFormat::Csv;
    const std::optional<HistoryFormat> format = historyFormatOf(path);
    if (!format)
        invocation.console.error(
            u"the name %1 ends in neither .csv nor .json; --format csv or --format json says which"_s.arg(path));
    return format;
}

int exportHistoryTo(ListSession& session, const Invocation& invocation, const QString& path, HistoryFormat format)
{
    const Console& console = invocation.console;
    HistoryStore store(session.domains().filePath());
    if (!store.open(HistoryStore::Mode::Read)) {
        console.error(store.problemText());
        return ExitStatus::ListUnusable;
    }
    const auto stop = [&] { return invocation.stopRequested(); };
    QString error;
    if (path == u"-"_s) {
        OutputDevice out(invocation);
        if (exportHistory(store, out, format, error, stop))
            return ExitStatus::Ok;
        if (invocation.stopRequested())
            return signalStatus(invocation);
        if (console.outputFailed())
            return ExitStatus::OutputFailed; // the caller tells why
        console.error(error);
        return ExitStatus::ListUnusable;
    }
    // A whole export or none: a file is replaced only once everything is written; a FIFO or a device is written
    // into as it stands.
    OutputFile file(path, stop);
    const bool written = file.open() && exportHistory(store, file.device(), format, error, stop);
    if (written && !invocation.stopRequested() && file.commit())
        return ExitStatus::Ok;
    file.cancel();
    if (invocation.stopRequested())
        return signalStatus(invocation);
    if (store.problem() != HistoryProblem::None) {
        console.error(store.problemText());
        return ExitStatus::ListUnusable;
    }
    console.error(u"the file %1 cannot be written: %2"_s.arg(path, file.errorString()));
    return ExitStatus::OutputFailed;
}

int importHistoryFrom(ListSession& session, const Invocation& invocation, const QString& path, HistoryFormat format)
{
    const Console& console = invocation.console;
    HistoryStore& store = session.history();
    if (!store.isOpen()) {
        console.error(store.problemText());
        return ExitStatus::ListUnusable;
    }
    const QString source = path == u"-"_s ? u"standard input"_s : u"the file "_s + path;
    QString error;
    const std::unique_ptr<QIODevice> input = invocation.openInput(path, error);
    if (!input) {
        if (invocation.stopRequested())
            return signalStatus(invocation);
        console.error(u"%1 cannot be read: %2; nothing was imported"_s.arg(source, error));
        return ExitStatus::Usage;
    }
    const std::optional<qint64> added =
        importHistory(store, *input, format, error, [&] { return invocation.stopRequested(); });
    if (invocation.stopRequested())
        return signalStatus(invocation); // nothing of it was kept
    if (!added) {
        if (store.problem() != HistoryProblem::None) {
            console.error(store.problemText());
            return ExitStatus::ListUnusable;
        }
        console.error(u"%1 is no history that Brenlow exports: %2; nothing was imported"_s.arg(source, error));
        return ExitStatus::Usage;
    }
    console.print((*added == 1 ? u"1 fetch added\n"_s : u"%1 fetches added\n"_s.arg(*added)).toUtf8());
    return ExitStatus::Ok;
}
