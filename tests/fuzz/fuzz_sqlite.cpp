// Fuzzes the SQLite extension's reading of dates against SQLite's own
// date(): a text or BLOB that date() reads gives yrdif the date date()
// gives, to the bit; one that date() has no date for gives what the yrdif
// command's reader gives a calendar date ('+20000-12-31', '60-01-01',
// blanks around it), and NULL for anything else.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include <sqlite3.h>

#include "column.h"
#include "datetext.h"
#include "oracle.h"

static sqlite3_stmt *statement()
{
    sqlite3 *db = nullptr;
    char *error = nullptr;
    check(sqlite3_open(":memory:", &db) == SQLITE_OK, "sqlite3_open");
    sqlite3_enable_load_extension(db, 1);
    if (sqlite3_load_extension(db, TK_SQLITE_EXTENSION, nullptr, &error) != SQLITE_OK) {
        std::fprintf(stderr, "%s: %s\n", TK_SQLITE_EXTENSION, error);
        std::abort();
    }
    sqlite3_stmt *s = nullptr;
    check(sqlite3_prepare_v2(db,
                             "select yrdif(?1, '2000-01-01', 'ACT/365'), "
                             "yrdif(date(?1), '2000-01-01', 'ACT/365'), date(?1), "
                             "yrdif_dv(?2, 14610, 'ACT/365')",
                             -1, &s, nullptr) == SQLITE_OK,
          "prepare");
    return s;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static sqlite3_stmt *s = statement();
    if (size < 1)
        return 0;
    const bool blob = data[0] & 1;
    const char *text = reinterpret_cast<const char *>(data + 1);
    const int n = static_cast<int>(size - 1);
    if (blob)
        sqlite3_bind_blob(s, 1, text, n, SQLITE_TRANSIENT);
    else
        sqlite3_bind_text(s, 1, text, n, SQLITE_TRANSIENT);
    check(sqlite3_step(s) == SQLITE_ROW, "step");
    const bool ours_null = sqlite3_column_type(s, 0) == SQLITE_NULL;
    const double ours = sqlite3_column_double(s, 0), theirs = sqlite3_column_double(s, 1);
    if (sqlite3_column_type(s, 2) != SQLITE_NULL) {
        check(ours_null == (sqlite3_column_type(s, 1) == SQLITE_NULL) &&
                  std::memcmp(&ours, &theirs, sizeof ours) == 0,
              "a date date() reads is that date");
    } else {
        const size_t len = strnlen(text, static_cast<size_t>(n)); // to a NUL, as date()
        int32_t kind = 0;
        const double value = tk_date_of_text(text, len, &kind);
        sqlite3_reset(s);
        if (kind == TK_TEXT_YMD)
            sqlite3_bind_double(s, 2, value);
        check(sqlite3_step(s) == SQLITE_ROW, "step");
        const double command = sqlite3_column_double(s, 3);
        check(ours_null == (sqlite3_column_type(s, 3) == SQLITE_NULL) &&
                  std::memcmp(&ours, &command, sizeof ours) == 0,
              "what date() does not read is read as the command reads a calendar date");
        sqlite3_clear_bindings(s);
    }
    sqlite3_reset(s);
    return 0;
}
