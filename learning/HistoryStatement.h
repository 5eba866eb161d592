#pragma once
// Internal to the history's sources: a prepared SQLite statement and the shared time-out.

#include "learning/Fsrs.h"

#include <sqlite3.h>

#include <cstdint>
#include <string>

namespace history_detail {

// How long a write waits for another program's transaction before it counts as locked.
constexpr int kBusyTimeoutMs = 3000;

// A prepared statement that finalizes itself.
class cStatement {
public:
    cStatement(sqlite3* db, const char* sql)
    {
        if (sqlite3_prepare_v2(db, sql, -1, &m_stmt, nullptr) != SQLITE_OK)
            m_stmt = nullptr;
    }
    ~cStatement() { sqlite3_finalize(m_stmt); }
    cStatement(const cStatement&) = delete;
    cStatement& operator=(const cStatement&) = delete;
    explicit operator bool() const { return m_stmt != nullptr; }
    cStatement& Bind(int i, std::int64_t v)
    {
        sqlite3_bind_int64(m_stmt, i, v);
        return *this;
    }
    cStatement& Bind(int i, double v)
    {
        sqlite3_bind_double(m_stmt, i, v);
        return *this;
    }
    cStatement& Bind(int i, const std::string& v)
    {
        sqlite3_bind_blob(m_stmt, i, v.data(), static_cast<int>(v.size()), SQLITE_TRANSIENT);
        return *this;
    }
    int Step() { return m_stmt ? sqlite3_step(m_stmt) : SQLITE_ERROR; }
    void Reset() { sqlite3_reset(m_stmt); }
    std::int64_t Int(int i) const { return sqlite3_column_int64(m_stmt, i); }
    double Real(int i) const { return sqlite3_column_double(m_stmt, i); }
    bool Null(int i) const { return sqlite3_column_type(m_stmt, i) == SQLITE_NULL; }
    std::string Blob(int i) const
    {
        const void* data = sqlite3_column_blob(m_stmt, i);
        const int size = sqlite3_column_bytes(m_stmt, i);
        return data ? std::string(static_cast<const char*>(data), static_cast<std::size_t>(size))
                    : std::string();
    }

private:
    sqlite3_stmt* m_stmt = nullptr;
};

/// The fitted weights stored in db into w (the defaults when none are stored or the text
/// is not what this version writes, within the model's ranges otherwise); false when
/// they could not be read just now.
bool StoredWeights(sqlite3* db, cFsrsWeights& w);

} // namespace history_detail
