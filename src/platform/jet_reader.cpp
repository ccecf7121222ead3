#include "platform/jet_reader.h"

// glib first: mdbtools.h includes it inside extern "C", where the C++
// templates glib pulls in cannot be declared.
#include <glib.h>
#include <mdbtools.h>

#include <QFile>

namespace
{

constexpr qint64 kFormatByteOffset = 0x14;
constexpr char kJetMagic[] = "Standard Jet DB";

QString fromLibrary(const char* text)
{
    return QString::fromUtf8(text);
}

// A text value straight from the row's page, not through the bound buffer:
// libmdb cuts bound values at its bind size, and a long description must not
// lose its end.
std::optional<QString> unboundText(MdbHandle* mdb, const MdbColumn* col)
{
    if (col->cur_value_len <= 0)
        return std::nullopt;
    char* text = mdb_col_to_string(mdb, mdb->pg_buf, col->cur_value_start, col->col_type,
                                   col->cur_value_len);
    if (!text)
        throw JetError("a text value could not be read");
    QString value = fromLibrary(text);
    g_free(text);
    if (value.isEmpty())
        return std::nullopt;
    return value;
}

bool isText(const MdbColumn* col)
{
    return col->col_type == MDB_TEXT || col->col_type == MDB_MEMO;
}

class MdbTable final : public JetTable
{
public:
    MdbTable(MdbHandle* mdb, MdbTableDef* table) : m_mdb(mdb), m_table(table)
    {
        if (!mdb_read_columns(m_table)) {
            mdb_free_tabledef(m_table);
            throw JetError("the columns of a table could not be read");
        }
        mdb_rewind_table(m_table);
        const unsigned count = m_table->num_cols;
        m_buffers.resize(count);
        m_lengths.assign(count, 0);
        for (unsigned i = 0; i < count; ++i) {
            auto* col = static_cast<MdbColumn*>(g_ptr_array_index(m_table->columns, i));
            m_names << fromLibrary(col->name);
            // Text comes unbound (see unboundText); the other kinds are
            // formatted by the library into its buffer, as mdb-export prints
            // them.
            if (isText(col))
                continue;
            m_buffers[i].resize(m_mdb->bind_size + 1);
            mdb_bind_column(m_table, int(i) + 1, m_buffers[i].data(), &m_lengths[i]);
        }
    }
    MdbTable(const MdbTable&) = delete;
    MdbTable& operator=(const MdbTable&) = delete;
    ~MdbTable() override { mdb_free_tabledef(m_table); }

    QStringList columnNames() const override { return m_names; }

    bool nextRow(JetRow& row) override
    {
        // Asked again after the end, the library would start over from the
        // first row.
        if (m_done || !mdb_fetch_row(m_table)) {
            m_done = true;
            return false;
        }
        const unsigned count = m_table->num_cols;
        row.assign(count, std::nullopt);
        for (unsigned i = 0; i < count; ++i) {
            const auto* col = static_cast<MdbColumn*>(g_ptr_array_index(m_table->columns, i));
            if (col->col_type == MDB_OLE)
                throw JetError("column " + m_names[int(i)].toStdString() +
                               " holds OLE objects, not text");
            if (isText(col))
                row[i] = unboundText(m_mdb, col);
            else if (m_lengths[i] > 0)
                row[i] = fromLibrary(m_buffers[i].data());
        }
        return true;
    }

private:
    MdbHandle* m_mdb;
    MdbTableDef* m_table;
    QStringList m_names;
    std::vector<std::vector<char>> m_buffers;
    std::vector<int> m_lengths;
    bool m_done = false;
};

class MdbDatabase final : public JetDatabase
{
public:
    explicit MdbDatabase(const QString& path)
    {
        if (detectJetVersion(path) == JetVersion::NotJet)
            throw JetError("not a Jet database: " + path.toStdString());
        m_mdb = mdb_open(QFile::encodeName(path).constData(), MDB_NOFLAGS);
        if (!m_mdb)
            throw JetError("the Jet database could not be opened: " + path.toStdString());
        useWindowsJapaneseCodePage();
        // The format mdb-export prints in the C locale, whatever the user's
        // locale says.
        mdb_set_date_fmt(m_mdb, "%m/%d/%y %H:%M:%S");
        if (!mdb_read_catalog(m_mdb, MDB_TABLE)) {
            mdb_close(m_mdb);
            throw JetError("the table list of the Jet database could not be read");
        }
    }
    MdbDatabase(const MdbDatabase&) = delete;
    MdbDatabase& operator=(const MdbDatabase&) = delete;
    ~MdbDatabase() override { mdb_close(m_mdb); }

    QStringList tableNames() const override
    {
        QStringList names;
        for (unsigned i = 0; i < m_mdb->num_catalog; ++i) {
            auto* entry = static_cast<MdbCatalogEntry*>(g_ptr_array_index(m_mdb->catalog, i));
            if (entry->object_type == MDB_TABLE && mdb_is_user_table(entry))
                names << fromLibrary(entry->object_name);
        }
        return names;
    }

    std::unique_ptr<JetTable> openTable(const QString& name) override
    {
        // Looked up here rather than by the library, whose name comparison
        // folds ASCII letters only: the catalogue's table names are Japanese.
        for (unsigned i = 0; i < m_mdb->num_catalog; ++i) {
            auto* entry = static_cast<MdbCatalogEntry*>(g_ptr_array_index(m_mdb->catalog, i));
            if (entry->object_type != MDB_TABLE || !mdb_is_user_table(entry) ||
                fromLibrary(entry->object_name).compare(name, Qt::CaseInsensitive) != 0)
                continue;
            MdbTableDef* table = mdb_read_table(entry);
            if (!table)
                throw JetError("table " + name.toStdString() + " could not be read");
            return std::make_unique<MdbTable>(m_mdb, table);
        }
        throw JetError("no table " + name.toStdString());
    }

private:
    // A Jet 3 file keeps its text in the code page its header names. For 932
    // the library picks plain Shift_JIS, which lacks the characters Windows
    // adds to it (①, ㈱, "～" as the full-width tilde): those would turn into
    // "?" or another character. Windows wrote the file, so its code page is
    // the one to read it with. A choice the user made in MDB_JET3_CHARSET
    // stands.
    void useWindowsJapaneseCodePage()
    {
        if (m_mdb->f->jet_version != MDB_VER_JET3 || m_mdb->f->code_page != 932 ||
            qEnvironmentVariableIsSet("MDB_JET3_CHARSET"))
            return;
        mdb_iconv_close(m_mdb);
        qputenv("MDB_JET3_CHARSET", "CP932");
        mdb_iconv_init(m_mdb);
        qunsetenv("MDB_JET3_CHARSET");
    }

    MdbHandle* m_mdb = nullptr;
};

} // namespace

JetVersion detectJetVersion(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return JetVersion::NotJet;
    const QByteArray head = file.read(kFormatByteOffset + 1);
    if (head.size() < kFormatByteOffset + 1 ||
        head.mid(4, sizeof(kJetMagic)) != QByteArray(kJetMagic, sizeof(kJetMagic)))
        return JetVersion::NotJet;
    switch (head.at(kFormatByteOffset)) {
    case 0:
        return JetVersion::Jet3;
    case 1:
        return JetVersion::Jet4;
    default:
        return JetVersion::NotJet;
    }
}

std::unique_ptr<JetDatabase> openJetDatabase(const QString& path)
{
    return std::make_unique<MdbDatabase>(path);
}
