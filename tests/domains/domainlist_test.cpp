#include "domains/domainlist.h"
#include "engine/bytetext.h"
#include "support/lists.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/resource.h>

using namespace Qt::StringLiterals;

namespace {

class DomainListFile : public ::testing::Test {
protected:
    QString path() const { return m_dir.filePath(u"brenlow.txt"_s); }

    void writeFile(const QByteArray& bytes) const
    {
        QFile file(path());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_EQ(file.write(bytes), bytes.size());
    }

    QByteArray readFile() const
    {
        QFile file(path());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }

    QTemporaryDir m_dir;
};

TEST_F(DomainListFile, ReadsLinesAndWritesEveryRecordWithCrLf)
{
    const struct {
        const char* what;
        QByteArray file;
        QList<QByteArray> records;
        QByteArray saved;
    } cases[] = {
        {"three records",
         "a.com|x|\r\nb.com|\r\nc.com\r\n",
         {"a.com|x|", "b.com|", "c.com"},
         "a.com|x|\r\nb.com|\r\nc.com\r\n"},
        {"empty file", "", {}, ""},
        {"lone CR ends a line", "a.com\rb.com\r\n", {"a.com", "b.com"}, "a.com\r\nb.com\r\n"},
        {"lone LF ends a line", "a.com\nb.com\r\nc.com\n", {"a.com", "b.com", "c.com"}, "a.com\r\nb.com\r\nc.com\r\n"},
        {"LF CR is two line ends", "a.com\n\rb.com", {"a.com", "", "b.com"}, "a.com\r\n\r\nb.com\r\n"},
        {"empty line in the middle", "a.com\r\n\r\nb.com\r\n", {"a.com", "", "b.com"}, "a.com\r\n\r\nb.com\r\n"},
        {"CR before CR LF", "a.com\r\r\n", {"a.com", ""}, "a.com\r\n\r\n"},
        {"no line end at the end", "a.com\r\nb.com", {"a.com", "b.com"}, "a.com\r\nb.com\r\n"},
        {"one empty line", "\r\n", {""}, "\r\n"},
        {"bytes as they stand",
         " b\xfcro.de |AllTheWeb=1.234|\t\r\n",
         {" b\xfcro.de |AllTheWeb=1.234|\t"},
         " b\xfcro.de |AllTheWeb=1.234|\t\r\n"},
    };
    for (const auto& c : cases) {
        writeFile(c.file);
        DomainList list(path());
        EXPECT_EQ(list.LoadDomainList(), DomainList::LoadResult::Loaded) << c.what;
        EXPECT_EQ(records(list), c.records) << c.what;
        EXPECT_EQ(readFile(), c.file) << c.what << ": loading never rewrites the file";
        ASSERT_TRUE(list.SaveDomainList()) << c.what;
        EXPECT_EQ(readFile(), c.saved) << c.what;
    }
}

TEST_F(DomainListFile, AByteOrderMarkStaysWithTheFirstRecordButIsNoPartOfItsDomain)
{
    const QByteArray file = "\xEF\xBB\xBF"
                            "a.com|AllTheWeb=1|\r\nb.com|AllTheWeb=2|\r\n";
    writeFile(file);
    DomainList list(path());
    ASSERT_EQ(list.LoadDomainList(), DomainList::LoadResult::Loaded);
    EXPECT_EQ(list.GetDomainField(1, 0), "a.com");
    EXPECT_EQ(list.GetDomainField(1, 1), "1");
    ASSERT_TRUE(list.SaveDomainList());
    EXPECT_EQ(readFile(), file);
    list.remove(1);
    ASSERT_TRUE(list.SaveDomainList());
    EXPECT_EQ(readFile(), "b.com|AllTheWeb=2|\r\n");
}

TEST_F(DomainListFile, ReorderedRecordsKeepTheirBytesAndTheMarkStaysAtTheStart)
{
    writeFile("\xEF\xBB\xBF"
              "a.com|AllTheWeb=1|AltaVista=2|Google=3|HotBot=4|MSN=5\r\n"
              " B\xfcro.de |AllTheWeb=1.234|AltaVista=0|Google=|HotBot=x|MSN=7|\n"
              "c.com|AllTheWeb=9|AltaVista=9|Google=9|HotBot=9|MSN=9|\r\n");
    DomainList list(path());
    ASSERT_EQ(list.LoadDomainList(), DomainList::LoadResult::Loaded);
    list.setCount(3, 0, 1000);
    list.reorder({3, 2, 1});
    EXPECT_EQ(list.domain(1), "c.com");
    EXPECT_EQ(list.domain(2), "B\xfcro.de");
    EXPECT_EQ(list.domain(3), "a.com");
    EXPECT_EQ(list.countValue(1, 0), 1000);
    EXPECT_EQ(list.countValue(2, 0), 1234);
    EXPECT_EQ(list.countState(2, 3), DomainList::CountState::Unread);
    EXPECT_EQ(list.countValue(3, 4), 5);
    EXPECT_EQ(list.findDomain(u"A.COM"), 3);
    ASSERT_TRUE(list.SaveDomainList());
    // The changed record is written in the one form, the others as they were read.
    EXPECT_EQ(readFile(), "c.com|AllTheWeb=1,000|AltaVista=9|Google=9|HotBot=9|MSN=9|\r\n"
                          " B\xfcro.de |AllTheWeb=1.234|AltaVista=0|Google=|HotBot=x|MSN=7|\r\n"
                          "a.com|AllTheWeb=1|AltaVista=2|Google=3|HotBot=4|MSN=5\r\n");

    // An unchanged record that comes first carries the mark.
    writeFile("\xEF\xBB\xBF"
              "b.com|AllTheWeb=2|\r\na.com|AllTheWeb=1|\r\n");
    ASSERT_EQ(list.LoadDomainList(), DomainList::LoadResult::Loaded);
    list.reorder({2, 1});
    EXPECT_EQ(list.domain(1), "a.com");
    EXPECT_EQ(list.domain(2), "b.com");
    ASSERT_TRUE(list.SaveDomainList());
    EXPECT_EQ(readFile(), "\xEF\xBB\xBF"
                          "a.com|AllTheWeb=1|\r\nb.com|AllTheWeb=2|\r\n");
    list.reorder({2, 1});
    ASSERT_TRUE(list.SaveDomainList());
    EXPECT_EQ(readFile(), "\xEF\xBB\xBF"
                          "b.com|AllTheWeb=2|\r\na.com|AllTheWeb=1|\r\n");
}

TEST_F(DomainListFile, AFileThatCouldNotBeReadIsNeverSavedOver)
{
    writeFile("old.com|\r\n");
    DomainList list(path());
    // With no file descriptor left to open it with, the file cannot be read, for root as well.
    rlimit saved{};
    getrlimit(RLIMIT_NOFILE, &saved);
    rlimit none = saved;
    none.rlim_cur = 0;
    ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &none), 0);
    const DomainList::LoadResult loaded = list.LoadDomainList();
    setrlimit(RLIMIT_NOFILE, &saved);
    EXPECT_EQ(loaded, DomainList::LoadResult::Unreadable);
    list.append("new.com|");
    EXPECT_FALSE(list.SaveDomainList());
    EXPECT_EQ(readFile(), "old.com|\r\n");
}

TEST(DomainList, GetDomainFieldReadsFieldsByPosition)
{
    DomainList list(QString{});
    list.append("http://d.com|AllTheWeb=1,200|AltaVista=35|Google=0|HotBot=0|MSN=7|");
    list.append("d.com");
    list.append("HTTP://d.com");
    list.append("d.com|X=5|Y=6|");
    list.append("");
    list.append(" d.com |AllTheWeb= 12,345 |AltaVista=|");
    list.append("d.com|AllTheWeb5|AltaVista=3|");
    list.append("hTTp://http://d.com|");
    list.append("x.com|AllTheWeb=5|AltaVista=6|Google=7|HotBot=8|MSN=9");
    list.append("\xEF\xBB\xBFy.com|AllTheWeb=1|");
    const struct {
        int record;
        int field;
        QByteArray value;
    } cases[] = {
        {1, 0, "d.com"},
        {1, 1, "1,200"},
        {1, 2, "35"},
        {1, 3, "0"},
        {1, 5, "7"},
        {2, 0, "d.com"},
        {2, 1, ""},
        {3, 0, "HTTP://d.com"},
        {4, 1, "5"},
        {4, 2, "6"},
        {4, 3, ""},
        {5, 0, ""},
        {5, 3, ""},
        {6, 0, "d.com"},
        {6, 1, "12,345"},
        {6, 2, ""},
        {7, 1, "3"}, // the field lacks its "=": the next "=" is taken, as fields are found by position
        {7, 2, "3"},
        {7, 3, ""},
        {8, 0, "http://d.com"},
        {9, 4, "8"},
        {9, 5, "9"}, // a last field without its closing "|" ends with the line
        {9, 6, ""},
        {10, 0, "\xEF\xBB\xBFy.com"}, // only the first record's mark is the file's
        {0, 0, "0"},
        {0, 3, "0"},
        {11, 0, "0"},
        {-1, 1, "0"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(list.GetDomainField(c.record, c.field), c.value) << c.record << "/" << c.field;
}

TEST(DomainList, KeepsCountsAsNumbersAndWritesChangedRecordsInOneForm)
{
    // Lists written by earlier versions under every locale: their counts read as numbers, and a record stays as it
    // was read until one of its counts changes; then every count is written with "," between groups.
    const struct {
        const char* what;
        QByteArray record;
        QList<std::optional<qint64>> counts;
        qint64 total;
        QByteArray changed; // after AllTheWeb was set to 1234567
    } cases[] = {
        {"English",
         "a.com|AllTheWeb=1,234|AltaVista=56|Google=7,890,123|HotBot=0|MSN=9|",
         {1234, 56, 7890123, 0, 9},
         7891422,
         "a.com|AllTheWeb=1,234,567|AltaVista=56|Google=7,890,123|HotBot=0|MSN=9|"},
        {"German",
         "a.com|AllTheWeb=1.234|AltaVista=2.000.000|Google=3|HotBot=4|MSN=5|",
         {1234, 2000000, 3, 4, 5},
         2001246,
         "a.com|AllTheWeb=1,234,567|AltaVista=2,000,000|Google=3|HotBot=4|MSN=5|"},
        {"Arabic scripts",
         "a.com|AllTheWeb=1\xD9\xAC"
         "234|AltaVista=5\xD9\xAC"
         "000\xD9\xAC"
         "000|Google=|HotBot=4|MSN=5|",
         {1234, 5000000, std::nullopt, 4, 5},
         5001243,
         "a.com|AllTheWeb=1,234,567|AltaVista=5,000,000|Google=|HotBot=4|MSN=5|"},
        {"French and Swiss",
         "a.com|AllTheWeb=1\xE2\x80\xAF"
         "234|AltaVista=5\xC2\xA0"
         "000|Google=6'000|HotBot=7\xE2\x80\x99"
         "000|MSN=8 000|",
         {1234, 5000, 6000, 7000, 8000},
         27234,
         "a.com|AllTheWeb=1,234,567|AltaVista=5,000|Google=6,000|HotBot=7,000|MSN=8,000|"},
        {"text that is no count",
         "a.com|AllTheWeb=12|AltaVista=n/a|Google=1,23|HotBot=-5|MSN=1000000000000000|",
         {12, std::nullopt, std::nullopt, std::nullopt, std::nullopt},
         12,
         "a.com|AllTheWeb=1,234,567|AltaVista=n/a|Google=1,23|HotBot=-5|MSN=1000000000000000|"},
        {"fields missing",
         "a.com|AllTheWeb=3|",
         {3, std::nullopt, std::nullopt, std::nullopt, std::nullopt},
         3,
         "a.com|AllTheWeb=1,234,567|AltaVista=|Google=|HotBot=|MSN=|"},
    };
    for (const auto& c : cases) {
        DomainList list(QString{});
        list.append(c.record);
        EXPECT_EQ(list.domain(1), "a.com") << c.what;
        for (int source = 0; source < 5; ++source)
            EXPECT_EQ(list.countValue(1, source), c.counts[source]) << c.what << " " << source;
        EXPECT_EQ(list.total(1), c.total) << c.what;
        list.setCount(1, 0, c.counts[0].value_or(0));
        EXPECT_EQ(list.entry(1), c.record) << c.what << ": the same count changes nothing";
        list.setCount(1, 0, 1234567);
        EXPECT_EQ(list.entry(1), c.changed) << c.what;
    }
}

TEST(DomainList, RecordsKeepTheirCountsWhenOthersAreAddedOrRemoved)
{
    DomainList list(QString{});
    list.append("a.com|AllTheWeb=1|AltaVista=2|Google=3|HotBot=4|MSN=5|");
    list.append("");
    list.append("c.com|AllTheWeb=x|");
    list.appendDomain("D.com");
    list.setCount(4, 4, 1000);
    list.fillMissingCounts(3);
    list.fillMissingCounts(2);
    EXPECT_EQ(records(list), (QList<QByteArray>{"a.com|AllTheWeb=1|AltaVista=2|Google=3|HotBot=4|MSN=5|",
                                                "|AllTheWeb=0|AltaVista=0|Google=0|HotBot=0|MSN=0|",
                                                "c.com|AllTheWeb=x|AltaVista=0|Google=0|HotBot=0|MSN=0|",
                                                "D.com|AllTheWeb=0|AltaVista=0|Google=0|HotBot=0|MSN=1,000|"}));
    // Found as the grid shows the domain, letter case ignored, the first of two; the index follows the list.
    list.appendDomain("CAF\xC3\x89.com");
    list.appendDomain("caf\xE9.com");
    list.appendDomain("c.com");
    EXPECT_EQ(list.findDomain(u"d.COM"), 4);
    EXPECT_EQ(list.findDomain(u"c.co"), -1);
    EXPECT_EQ(list.findDomain(u"C.com"), 3);
    EXPECT_EQ(list.findDomain(u"caf\u00e9.COM"), 5);
    EXPECT_EQ(list.findDomain(textFromBytes("caf\xE9.com")), 6);
    EXPECT_EQ(list.findDomain(u""), -1);
    list.appendDomain("new.com");
    EXPECT_EQ(list.findDomain(u"NEW.com"), 8);
    // Each domain once, by its bytes, blank records left out: the two c.com are one, CAFÉ and café two.
    EXPECT_EQ(list.distinctDomains(),
              (QList<QByteArray>{"a.com", "c.com", "D.com", "CAF\xC3\x89.com", "caf\xE9.com", "new.com"}));
    list.removeRecords({2, 3, 5, 6, 7, 8, 9});
    ASSERT_EQ(list.count(), 2);
    EXPECT_EQ(list.total(1), 15);
    EXPECT_EQ(list.total(2), 1000);
    EXPECT_EQ(list.countValue(2, 4), 1000);
    EXPECT_EQ(list.findDomain(u"d.com"), 2);
    EXPECT_EQ(list.findDomain(u"c.com"), -1);
}

} // namespace
