#pragma once

#include <functional>
#include <map>

#include "platform/jet_reader.h"

// A Jet database held in memory. A table can fail or call back in the middle
// of its rows, to stop a conversion where a real file might.
struct FakeJetTableData {
    QStringList columns;
    std::vector<JetRow> rows;
    // Reading row number failAt (0-based) throws JetError; -1 never.
    int failAt = -1;
    // Called before row number n is handed out.
    std::function<void(int n)> beforeRow;
};

class FakeJetDatabase final : public JetDatabase
{
public:
    std::map<QString, FakeJetTableData> tables;

    QStringList tableNames() const override;
    std::unique_ptr<JetTable> openTable(const QString& name) override;
};

// The catalogue's three tables as the old program's file holds them, empty but
// for the option row 'Memory' = "1". The title columns come in another order
// than the new file's, with a column the new file does not have, so columns
// are found by name.
FakeJetDatabase fakeJetCatalogue();

// Adds a title row to a database made by fakeJetCatalogue: name, description,
// thumbnail, link targets, category, working folder, launch options.
void addFakeTitle(FakeJetDatabase& db, const std::vector<std::optional<QString>>& fields);
