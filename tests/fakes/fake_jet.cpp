#include "fakes/fake_jet.h"

namespace
{

class FakeJetTable final : public JetTable
{
public:
    explicit FakeJetTable(const FakeJetTableData& data) : m_data(data) {}
    QStringList columnNames() const override { return m_data.columns; }
    bool nextRow(JetRow& row) override
    {
        if (m_next >= int(m_data.rows.size()))
            return false;
        if (m_data.beforeRow)
            m_data.beforeRow(m_next);
        if (m_next == m_data.failAt)
            throw JetError("page checksum wrong");
        row = m_data.rows[std::size_t(m_next++)];
        return true;
    }

private:
    const FakeJetTableData& m_data;
    int m_next = 0;
};

// Title columns as the fake file orders them, and where each of the seven
// fields of addFakeTitle goes.
const QStringList kFakeTitleColumns{"カテゴリ名",   "タイトル名",     "備考",
                                    "説明",         "起動オプション", "サムネイルパス",
                                    "作業フォルダ", "ファイルパス"};
constexpr int kFieldColumn[] = {1, 3, 5, 7, 0, 6, 4};

} // namespace

QStringList FakeJetDatabase::tableNames() const
{
    QStringList names;
    for (const auto& [name, table] : tables)
        names << name;
    return names;
}

std::unique_ptr<JetTable> FakeJetDatabase::openTable(const QString& name)
{
    for (const auto& [stored, table] : tables) {
        if (stored.compare(name, Qt::CaseInsensitive) == 0)
            return std::make_unique<FakeJetTable>(table);
    }
    throw JetError("no table " + name.toStdString());
}

FakeJetDatabase fakeJetCatalogue()
{
    FakeJetDatabase db;
    db.tables[QStringLiteral("カテゴリ")].columns = {QStringLiteral("カテゴリ名")};
    db.tables[QStringLiteral("タイトル")].columns = kFakeTitleColumns;
    auto& options = db.tables[QStringLiteral("オプション")];
    options.columns = {"Option_Name", "Option_Value"};
    options.rows.push_back({QStringLiteral("Memory"), QStringLiteral("1")});
    return db;
}

void addFakeTitle(FakeJetDatabase& db, const std::vector<std::optional<QString>>& fields)
{
    JetRow row(std::size_t(kFakeTitleColumns.size()));
    row[2] = QStringLiteral("not carried");
    for (std::size_t i = 0; i < fields.size() && i < 7; ++i)
        row[std::size_t(kFieldColumn[i])] = fields[i];
    db.tables[QStringLiteral("タイトル")].rows.push_back(std::move(row));
}
