#include "jetread/mdb_source.h"

#include <cstdlib>
#include <cstring>

// glib first: mdbtools.h includes it inside extern "C", where the C++
// templates glib pulls in cannot be declared.
#include <glib.h>
#include <mdbtools.h>

namespace
{

// libmdb hands out what iconv made of the file's bytes; a damaged file can
// make that anything. The program takes valid UTF-8 only, so broken bytes
// become U+FFFD here, as they did when the program decoded them itself.
std::string fromLibrary(const char* text)
{
    if (g_utf8_validate(text, -1, nullptr))
        return text;
    gchar* valid = g_utf8_make_valid(text, -1);
    std::string value(valid);
    g_free(valid);
    return value;
}

bool sameName(const char* a, const std::string& b)
{
    gchar* foldedA = g_utf8_casefold(fromLibrary(a).c_str(), -1);
    gchar* foldedB = g_utf8_casefold(fromLibrary(b.c_str()).c_str(), -1);
    const bool same = std::strcmp(foldedA, foldedB) == 0;
    g_free(foldedA);
    g_free(foldedB);
    return same;
}

// A text value straight from the row's page, not through the bound buffer:
// libmdb cuts bound values at its bind size, and a long description must not
// lose its end.
std::optional<std::string> unboundText(MdbHandle* mdb, const MdbColumn* col)
{
    if (col->cur_value_len <= 0)
        return std::nullopt;
    char* text = mdb_col_to_string(mdb, mdb->pg_buf, col->cur_value_start, col->col_type,
                                   col->cur_value_len);
    if (!text)
        throw SourceError("a text value could not be read");
    std::string value = fromLibrary(text);
    g_free(text);
    if (value.empty())
        return std::nullopt;
    return value;
}

bool isText(const MdbColumn* col)
{
    return col->col_type == MDB_TEXT || col->col_type == MDB_MEMO;
}

class MdbTable final : public SourceTable
{
public:
    MdbTable(MdbHandle* mdb, MdbTableDef* table) : m_mdb(mdb), m_table(table)
    {
        if (!mdb_read_columns(m_table)) {
            mdb_free_tabledef(m_table);
            throw SourceError("the columns of a table could not be read");
        }
        mdb_rewind_table(m_table);
        const unsigned count = m_table->num_cols;
        m_buffers.resize(count);
        m_lengths.assign(count, 0);
        for (unsigned i = 0; i < count; ++i) {
            auto* col = static_cast<MdbColumn*>(g_ptr_array_index(m_table->columns, i));
            m_names.push_back(fromLibrary(col->name));
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

    std::vector<std::string> columns() const override { return m_names; }

    bool next(SourceRow& row) override
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
                throw SourceError("column " + m_names[i] + " holds OLE objects, not text");
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
    std::vector<std::string> m_names;
    std::vector<std::vector<char>> m_buffers;
    std::vector<int> m_lengths;
    bool m_done = false;
};

class MdbSource final : public Source
{
public:
    explicit MdbSource(const std::string& path)
    {
        m_mdb = mdb_open(path.c_str(), MDB_NOFLAGS);
        if (!m_mdb)
            throw SourceError("the Jet database could not be opened");
        useWindowsJapaneseCodePage();
        // The format mdb-export prints in the C locale, whatever the user's
        // locale says.
        mdb_set_date_fmt(m_mdb, "%m/%d/%y %H:%M:%S");
        if (!mdb_read_catalog(m_mdb, MDB_TABLE)) {
            mdb_close(m_mdb);
            throw SourceError("the table list of the Jet database could not be read");
        }
    }
    MdbSource(const MdbSource&) = delete;
    MdbSource& operator=(const MdbSource&) = delete;
    ~MdbSource() override { mdb_close(m_mdb); }

    std::vector<std::string> tableNames() const override
    {
        std::vector<std::string> names;
        for (unsigned i = 0; i < m_mdb->num_catalog; ++i) {
            auto* entry = static_cast<MdbCatalogEntry*>(g_ptr_array_index(m_mdb->catalog, i));
            if (entry->object_type == MDB_TABLE && mdb_is_user_table(entry))
                names.push_back(fromLibrary(entry->object_name));
        }
        return names;
    }

    std::unique_ptr<SourceTable> open(const std::string& name) override
    {
        // Looked up here rather than by the library, whose name comparison
        // folds ASCII letters only: the catalogue's table names are Japanese.
        for (unsigned i = 0; i < m_mdb->num_catalog; ++i) {
            auto* entry = static_cast<MdbCatalogEntry*>(g_ptr_array_index(m_mdb->catalog, i));
            if (entry->object_type != MDB_TABLE || !mdb_is_user_table(entry) ||
                !sameName(entry->object_name, name))
                continue;
            MdbTableDef* table = mdb_read_table(entry);
            if (!table)
                throw SourceError("table " + name + " could not be read");
            return std::make_unique<MdbTable>(m_mdb, table);
        }
        return nullptr;
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
            std::getenv("MDB_JET3_CHARSET"))
            return;
        mdb_iconv_close(m_mdb);
        setenv("MDB_JET3_CHARSET", "CP932", 1);
        mdb_iconv_init(m_mdb);
        unsetenv("MDB_JET3_CHARSET");
    }

    MdbHandle* m_mdb = nullptr;
};

} // namespace

std::unique_ptr<Source> openMdbSource(const std::string& path)
{
    return std::make_unique<MdbSource>(path);
}
