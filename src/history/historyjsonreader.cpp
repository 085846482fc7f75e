#include "history/devicelinebuffer.h"
#include "history/historyfilefields.h"
#include "history/historygraphfields.h"
#include "history/historyimport.h"
#include "history/historyreaders.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <array>
#include <istream>
#include <vector>

using namespace Qt::StringLiterals;
using namespace historyfile;

namespace {

// Fetches of a JSON run (or figures of a release) held until its own members come, when a file puts them after.
constexpr std::size_t MaxHeldFetches = 100'000;

// Takes a history's JSON as the parser meets it, member by member, and hands each fetch to the import as soon
// as its run is known: a run's members come before its fetches in every export, and a file that puts them after
// has its fetches held until they come. A release's figures likewise.
class JsonHistory final : public nlohmann::json_sax<nlohmann::json> {
public:
    JsonHistory(HistoryImport& import, DeviceLineBuffer& buffer, const StopRequested& stop)
        : m_import(import)
        , m_buffer(buffer)
        , m_stop(stop)
    {
    }

    bool versionSeen() const { return m_version != 0; }
    bool refused() const { return m_refused; }

    bool null() override { return scalar(Value{Kind::Null, {}, 0}); }
    bool boolean(bool value) override { return scalar(Value{Kind::Text, value ? "true" : "false", 0}); }
    bool number_integer(number_integer_t value) override
    {
        return value < 0 ? refuse(u"a negative number: %1"_s.arg(value)) : number_unsigned(number_unsigned_t(value));
    }
    bool number_unsigned(number_unsigned_t value) override
    {
        return scalar(Value{Kind::Number, QByteArray::number(quint64(value)), value});
    }
    bool number_float(number_float_t, const string_t& text) override
    {
        // Only the centralities are fractions; they are read from their text, as the export wrote them.
        if (m_place == Place::Figure && (m_key == "harmonicValue" || m_key == "pageRankValue"))
            return scalar(Value{Kind::Number, QByteArray::fromStdString(text), 0});
        return refuse(u"not a whole number: %1"_s.arg(QString::fromStdString(text)));
    }
    bool string(string_t& text) override { return scalar(Value{Kind::Text, QByteArray::fromStdString(text), 0}); }
    bool binary(binary_t&) override { return refuse(u"binary data"_s); }

    bool start_object(std::size_t) override
    {
        switch (m_place) {
        case Place::Start:
            m_place = Place::Root;
            return true;
        case Place::Runs:
            m_place = Place::Run;
            m_run = {};
            m_held.clear();
            return true;
        case Place::Fetches:
            m_place = Place::Fetch;
            m_fetch = {};
            return true;
        case Place::Releases:
            m_place = Place::Release;
            m_release = {};
            m_heldFigures.clear();
            return true;
        case Place::Figures:
            m_place = Place::Figure;
            m_figures = {};
            return true;
        default:
            return unexpected(u"an object"_s);
        }
    }
    bool end_object() override
    {
        switch (m_place) {
        case Place::Fetch:
            m_place = Place::Fetches;
            return fetchEnded();
        case Place::Run:
            m_place = Place::Runs;
            return runEnded();
        case Place::Figure:
            m_place = Place::Figures;
            return figuresEnded();
        case Place::Release:
            m_place = Place::Releases;
            return releaseEnded();
        case Place::Root:
            m_place = Place::End;
            return true;
        default:
            return unexpected(u"the end of an object"_s);
        }
    }
    bool start_array(std::size_t) override
    {
        if (m_place == Place::Root && m_key == "runs") {
            m_place = Place::Runs;
            return true;
        }
        if (m_place == Place::Run && m_key == "fetches") {
            m_place = Place::Fetches;
            return true;
        }
        if (m_place == Place::Root && m_key == "webgraph") {
            m_place = Place::Releases;
            return true;
        }
        if (m_place == Place::Release && (m_key == "crawls" || m_key == "figures")) {
            m_place = m_key == "crawls" ? Place::Crawls : Place::Figures;
            m_release.crawlsSeen = m_release.crawlsSeen || m_key == "crawls";
            return true;
        }
        return unexpected(u"an array"_s);
    }
    bool end_array() override
    {
        if (m_place == Place::Runs) {
            m_place = Place::Root;
            return true;
        }
        if (m_place == Place::Fetches) {
            m_place = Place::Run;
            return true;
        }
        if (m_place == Place::Releases) {
            m_place = Place::Root;
            return true;
        }
        if (m_place == Place::Crawls || m_place == Place::Figures) {
            m_place = Place::Release;
            return true;
        }
        return unexpected(u"the end of an array"_s);
    }
    bool key(string_t& name) override
    {
        m_key = QByteArray::fromStdString(name);
        return true;
    }
    bool parse_error(std::size_t position, const std::string&, const nlohmann::detail::exception& error) override
    {
        // The library's message names the line and column; its text is of the file, not the reader.
        Q_UNUSED(position);
        return refuse(QString::fromStdString(error.what()).section(u"parse error "_s, 1).prepend(u"not JSON: "_s),
                      false);
    }

private:
    enum class Place { Start, Root, Runs, Run, Fetches, Fetch, Releases, Release, Crawls, Figures, Figure, End };
    enum class Kind { Null, Text, Number };
    struct Value {
        Kind kind;
        QByteArray text;
        quint64 number;
    };
    struct RunMembers {
        QByteArray id, started, ended, frontEnd, cancelled;
        bool endedSeen = false;
        std::optional<HistoryRun> run; // once every member came
    };
    struct FetchMembers {
        QByteArray domain, engine, at, count, failure, detail, kept;
    };
    struct HeldFetch {
        ParsedFetch fetch;
        qint64 line;
    };
    struct ReleaseMembers {
        QByteArray id, crawls, domains, links;
        bool crawlsSeen = false;
        std::optional<GraphRelease> release; // once every member came
    };
    struct FiguresMembers {
        QByteArray domain, name, found, harmonicRank, harmonicValue, pageRankRank, pageRankValue, hosts, linkingDomains,
            readAt;
    };

    bool refuse(const QString& why, bool withLine = true)
    {
        if (!m_refused)
            m_import.refuse(withLine ? u"line %1: %2"_s.arg(m_buffer.line()).arg(why) : why);
        m_refused = true;
        return false;
    }
    bool unexpected(const QString& what)
    {
        return refuse(u"not a Brenlow history (%1 where there should be none)"_s.arg(what));
    }

    bool scalar(const Value& value)
    {
        if (m_stop && m_stop())
            return refuse(u"interrupted"_s);
        const auto text = [&](QByteArray& member) {
            if (value.kind != Kind::Text)
                return refuse(u"%1 is not text"_s.arg(QString::fromLatin1(m_key)));
            member = value.text;
            return true;
        };
        const auto number = [&](QByteArray& member) {
            if (value.kind != Kind::Number)
                return refuse(u"the %1 is not a number"_s.arg(QString::fromUtf8(m_key)));
            member = value.text;
            return true;
        };
        switch (m_place) {
        case Place::Root:
            if (m_key != "brenlowHistory")
                return refuse(u"no such member: %1"_s.arg(QString::fromUtf8(m_key)));
            if (value.kind != Kind::Number || value.number < 1 || value.number > quint64(JsonVersion))
                return refuse(u"not a Brenlow history of a version this Brenlow reads"_s);
            m_version = int(value.number);
            return true;
        case Place::Run: {
            static constexpr std::pair<const char*, QByteArray RunMembers::*> members[] = {
                {"id", &RunMembers::id},
                {"started", &RunMembers::started},
                {"ended", &RunMembers::ended},
                {"frontEnd", &RunMembers::frontEnd},
                {"cancelled", &RunMembers::cancelled}};
            if (m_key == "ended") {
                m_run.endedSeen = true;
                if (value.kind == Kind::Null)
                    return true;
            }
            for (const auto& [name, member] : members) {
                if (m_key == name)
                    return text(m_run.*member);
            }
            return refuse(u"no such member of a run: %1"_s.arg(QString::fromUtf8(m_key)));
        }
        case Place::Fetch: {
            static constexpr std::pair<const char*, QByteArray FetchMembers::*> members[] = {
                {"domain", &FetchMembers::domain},
                {"engine", &FetchMembers::engine},
                {"at", &FetchMembers::at},
                {"failure", &FetchMembers::failure},
                {"detail", &FetchMembers::detail}};
            if (m_key == "count" || m_key == "kept") {
                if (value.kind != Kind::Number)
                    return refuse(u"the %1 is not a number"_s.arg(QString::fromUtf8(m_key)));
                (m_key == "count" ? m_fetch.count : m_fetch.kept) = value.text;
                return true;
            }
            for (const auto& [name, member] : members) {
                if (m_key == name)
                    return text(m_fetch.*member);
            }
            return refuse(u"no such member of a fetch: %1"_s.arg(QString::fromUtf8(m_key)));
        }
        case Place::Release:
            if (m_key == "release")
                return text(m_release.id);
            if (m_key == "domains" || m_key == "links")
                return number(m_key == "domains" ? m_release.domains : m_release.links);
            return refuse(u"no such member of a release: %1"_s.arg(QString::fromUtf8(m_key)));
        case Place::Crawls:
            // The history joins a release's crawls by a space.
            if (value.kind != Kind::Text || value.text.isEmpty() || value.text.contains(' '))
                return refuse(u"not the name of a crawl: %1"_s.arg(QString::fromUtf8(value.text)));
            m_release.crawls += (m_release.crawls.isEmpty() ? "" : " ") + value.text;
            return true;
        case Place::Figure: {
            static constexpr std::pair<const char*, QByteArray FiguresMembers::*> texts[] = {
                {"domain", &FiguresMembers::domain},
                {"name", &FiguresMembers::name},
                {"found", &FiguresMembers::found},
                {"readAt", &FiguresMembers::readAt}};
            static constexpr std::pair<const char*, QByteArray FiguresMembers::*> numbers[] = {
                {"harmonicRank", &FiguresMembers::harmonicRank},
                {"harmonicValue", &FiguresMembers::harmonicValue},
                {"pageRankRank", &FiguresMembers::pageRankRank},
                {"pageRankValue", &FiguresMembers::pageRankValue},
                {"hosts", &FiguresMembers::hosts},
                {"linkingDomains", &FiguresMembers::linkingDomains}};
            // Linking domains that were not counted may be null.
            if (m_key == "linkingDomains" && value.kind == Kind::Null)
                return true;
            for (const auto& [name, member] : texts) {
                if (m_key == name)
                    return text(m_figures.*member);
            }
            for (const auto& [name, member] : numbers) {
                if (m_key == name)
                    return number(m_figures.*member);
            }
            return refuse(u"no such member of a release's figures: %1"_s.arg(QString::fromUtf8(m_key)));
        }
        default:
            return unexpected(u"a value"_s);
        }
    }

    // The run, once its members are all there: its start, end, front end and whether it was cancelled.
    bool runKnown()
    {
        if (m_run.run)
            return true;
        // A run of version 2 has its identity; until the version is known, a run without one waits for its end.
        if (m_run.started.isEmpty() || !m_run.endedSeen || m_run.frontEnd.isEmpty() || m_run.cancelled.isEmpty() ||
            (m_run.id.isEmpty() && m_version != 1))
            return false;
        QString error;
        m_run.run = parseRun(m_run.id, m_run.started, m_run.ended, m_run.frontEnd, m_run.cancelled, error);
        return m_run.run || refuse(error);
    }

    bool fetchEnded()
    {
        QString error;
        const std::optional<ParsedFetch> fetch = parseFetch(m_fetch.domain, m_fetch.engine, m_fetch.at, m_fetch.count,
                                                            m_fetch.failure, m_fetch.detail, m_fetch.kept, error);
        if (!fetch)
            return refuse(error);
        const qint64 line = m_buffer.line();
        if (runKnown())
            return m_import.addFetch(*m_run.run, fetch->domain, fetch->engine, fetch->fetch, line);
        if (m_refused)
            return false;
        if (m_held.size() >= MaxHeldFetches)
            return refuse(u"a run whose members come after more than %1 of its fetches"_s.arg(MaxHeldFetches));
        m_held.push_back({*fetch, line});
        return true;
    }

    bool runEnded()
    {
        if (m_version >= 2 && m_run.id.isEmpty())
            return refuse(u"a run without its id"_s);
        if (m_run.id.isEmpty() && m_version == 0)
            m_version = 1; // the members of a file of version 1 hold no identity
        if (!runKnown())
            return m_refused ? false : refuse(u"a run without its started, ended, frontEnd or cancelled"_s);
        if (!m_import.addRun(*m_run.run, m_buffer.line()))
            return false;
        for (const HeldFetch& held : m_held) {
            if (!m_import.addFetch(*m_run.run, held.fetch.domain, held.fetch.engine, held.fetch.fetch, held.line))
                return false;
        }
        m_held.clear();
        return true;
    }

    // The release, once its members are all there.
    bool releaseKnown()
    {
        if (m_release.release)
            return true;
        if (m_release.id.isEmpty() || !m_release.crawlsSeen || m_release.domains.isEmpty() || m_release.links.isEmpty())
            return false;
        QString error;
        m_release.release =
            parseGraphRelease(m_release.id, m_release.crawls, m_release.domains, m_release.links, error);
        return m_release.release || refuse(error);
    }

    bool figuresEnded()
    {
        const FiguresMembers& m = m_figures;
        QString error;
        const auto figures = parseGraphFigures({m.domain, m.name, m.found, m.harmonicRank, m.harmonicValue,
                                                m.pageRankRank, m.pageRankValue, m.hosts, m.linkingDomains, m.readAt},
                                               error);
        if (!figures)
            return refuse(error);
        if (releaseKnown())
            return m_import.addGraphFigures(*m_release.release, figures->first, figures->second);
        if (m_refused)
            return false;
        if (m_heldFigures.size() >= MaxHeldFetches)
            return refuse(u"a release whose members come after more than %1 of its figures"_s.arg(MaxHeldFetches));
        m_heldFigures.push_back(*figures);
        return true;
    }

    bool releaseEnded()
    {
        if (!releaseKnown())
            return m_refused ? false : refuse(u"a release without its release, crawls, domains or links"_s);
        if (!m_import.addGraphRelease(*m_release.release))
            return false;
        for (const auto& [domain, figures] : m_heldFigures) {
            if (!m_import.addGraphFigures(*m_release.release, domain, figures))
                return false;
        }
        m_heldFigures.clear();
        return true;
    }

    HistoryImport& m_import;
    DeviceLineBuffer& m_buffer;
    const StopRequested& m_stop;
    Place m_place = Place::Start;
    QByteArray m_key;
    int m_version = 0;
    bool m_refused = false;
    RunMembers m_run;
    FetchMembers m_fetch;
    std::vector<HeldFetch> m_held;
    ReleaseMembers m_release;
    FiguresMembers m_figures;
    std::vector<std::pair<QByteArray, GraphFigures>> m_heldFigures;
};

} // namespace

bool readHistoryJson(QIODevice& in, HistoryImport& import, const StopRequested& stop)
{
    DeviceLineBuffer buffer(in);
    std::istream stream(&buffer);
    JsonHistory history(import, buffer, stop);
    const bool parsed = nlohmann::json::sax_parse(stream, &history);
    if (parsed && !history.versionSeen()) {
        import.refuse(u"not a Brenlow history (it has no brenlowHistory member)"_s);
        return false;
    }
    if (!parsed && !history.refused())
        import.refuse(u"not a Brenlow history"_s);
    return parsed;
}
