#pragma once

#include "cli/command.h"

// The commands of brenlow-cli, each in a file of its own.

class ShowCommand final : public Command {
public:
    QString name() const override { return QStringLiteral("show"); }
    QString summary() const override
    {
        return QStringLiteral("Print the list with its counts and totals, or the domains named.");
    }
    QString arguments() const override { return QStringLiteral("[DOMAIN...]"); }
    QStringList options() const override { return {QStringLiteral("format"), QStringLiteral("no-header")}; }
    bool acceptsArgumentCount(qsizetype) const override { return true; }
    bool writesList(const QCommandLineParser&) const override { return false; }
    int execute(ListSession& session, Invocation& invocation, const QStringList& arguments) override;
};

class HistoryCommand final : public Command {
public:
    QString name() const override { return QStringLiteral("history"); }
    QString summary() const override
    {
        return QStringLiteral("Print the counts every update run found, or export or import them.");
    }
    QList<HelpItem> details() const override;
    QString arguments() const override { return QStringLiteral("[DOMAIN...]"); }
    QStringList options() const override
    {
        return {QStringLiteral("format"), QStringLiteral("no-header"), QStringLiteral("since"), QStringLiteral("until"),
                QStringLiteral("export"), QStringLiteral("import"),    QStringLiteral("wait")};
    }
    bool acceptsArgumentCount(qsizetype) const override { return true; }
    // Only an import writes: it takes the list's lock, as only the holder of the lock writes the history.
    bool writesList(const QCommandLineParser& parser) const override;
    bool readsStandardInput(const QCommandLineParser& parser, const QStringList& arguments) const override;
    int execute(ListSession& session, Invocation& invocation, const QStringList& arguments) override;
};

class UpdateCommand final : public Command {
public:
    QString name() const override { return QStringLiteral("update"); }
    QString summary() const override
    {
        return QStringLiteral("Ask every engine about every domain, or the ones named.");
    }
    QString arguments() const override { return QStringLiteral("[DOMAIN...]"); }
    bool acceptsArgumentCount(qsizetype) const override { return true; }
    bool recordsRuns() const override { return true; }
    int execute(ListSession& session, Invocation& invocation, const QStringList& arguments) override;
};

class WebGraphCommand final : public Command {
public:
    QString name() const override { return QStringLiteral("webgraph"); }
    QString summary() const override
    {
        return QStringLiteral("List the web graph's releases, or read one for the list's domains.");
    }
    QList<HelpItem> details() const override;
    QString arguments() const override { return QStringLiteral("releases | update [DOMAIN...]"); }
    QStringList options() const override
    {
        return {QStringLiteral("format"),          QStringLiteral("no-header"),      QStringLiteral("release"),
                QStringLiteral("linking-domains"), QStringLiteral("webgraph-index"), QStringLiteral("webgraph-data")};
    }
    bool acceptsArgumentCount(qsizetype count) const override { return count >= 1; }
    // Only update writes, to the history: it takes the list's lock, as only the holder of the lock writes it.
    bool writesList(const QCommandLineParser& parser) const override;
    bool needsList(const QCommandLineParser& parser) const override { return writesList(parser); }
    int execute(ListSession& session, Invocation& invocation, const QStringList& arguments) override;
};

class AddCommand final : public Command {
public:
    QString name() const override { return QStringLiteral("add"); }
    QString summary() const override { return QStringLiteral("Add domains (or web addresses) to the list."); }
    QString arguments() const override { return QStringLiteral("DOMAIN..."); }
    bool acceptsArgumentCount(qsizetype count) const override { return count > 0; }
    int execute(ListSession& session, Invocation& invocation, const QStringList& arguments) override;
};

class RemoveCommand final : public Command {
public:
    QString name() const override { return QStringLiteral("remove"); }
    QString summary() const override { return QStringLiteral("Remove domains from the list."); }
    QString arguments() const override { return QStringLiteral("DOMAIN..."); }
    bool acceptsArgumentCount(qsizetype count) const override { return count > 0; }
    int execute(ListSession& session, Invocation& invocation, const QStringList& arguments) override;
};

class ImportCommand final : public Command {
public:
    QString name() const override { return QStringLiteral("import"); }
    QString summary() const override
    {
        return QStringLiteral("Add the domain of every line of a text file (- for standard input).");
    }
    QString arguments() const override { return QStringLiteral("FILE"); }
    bool acceptsArgumentCount(qsizetype count) const override { return count == 1; }
    bool readsStandardInput(const QCommandLineParser& parser, const QStringList& arguments) const override;
    int execute(ListSession& session, Invocation& invocation, const QStringList& arguments) override;
};

class WhereCommand final : public Command {
public:
    QString name() const override { return QStringLiteral("where"); }
    QString summary() const override { return QStringLiteral("Print the path of the list in use."); }
    QString arguments() const override { return {}; }
    bool acceptsArgumentCount(qsizetype count) const override { return count == 0; }
    bool opensList() const override { return false; }
    bool writesList(const QCommandLineParser&) const override { return false; }
    int execute(Invocation& invocation, const QStringList& arguments) override;
};

class HelpCommand final : public Command {
public:
    QString name() const override { return QStringLiteral("help"); }
    QString summary() const override { return QStringLiteral("Print this help, or a command's usage."); }
    QString arguments() const override { return QStringLiteral("[COMMAND]"); }
    bool acceptsArgumentCount(qsizetype count) const override { return count <= 1; }
    bool opensList() const override { return false; }
    bool writesList(const QCommandLineParser&) const override { return false; }
    int execute(Invocation& invocation, const QStringList& arguments) override;
};
