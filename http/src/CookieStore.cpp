#include "http/CookieStore.h"

#include <pwd.h>
#include <sqlite3.h>
#include <unistd.h>

#include <cstdlib>
#include <memory>
#include <optional>
#include <string_view>
#include <system_error>

#include "CookieDatabase.h"

namespace {

// Long enough to ride out another process's write transaction, which is short.
constexpr int kBusyTimeoutMs = 10000;
constexpr std::string_view kAppId = "trademark-search";
constexpr std::string_view kStoreFileName = "cookies.sqlite";

// The row id keeps the order in which cookies were first stored; an upsert keeps it.
constexpr const char* kSchema =
    "CREATE TABLE IF NOT EXISTS cookies("
    "id INTEGER PRIMARY KEY, host TEXT NOT NULL, name TEXT NOT NULL, value TEXT NOT NULL, UNIQUE(host, name))";
constexpr const char* kSelectSql = "SELECT name, value FROM cookies WHERE host = ?1 ORDER BY id";
constexpr const char* kUpsertSql =
    "INSERT INTO cookies(host, name, value) VALUES(?1, ?2, ?3) "
    "ON CONFLICT(host, name) DO UPDATE SET value = excluded.value";
constexpr const char* kDeleteSql = "DELETE FROM cookies WHERE host = ?1 AND name = ?2";

struct DatabaseCloser {
    void operator()(sqlite3* db) const { sqlite3_close_v2(db); }
};
struct StatementFinalizer {
    void operator()(sqlite3_stmt* statement) const { sqlite3_finalize(statement); }
};
using Database = std::unique_ptr<sqlite3, DatabaseCloser>;
using Statement = std::unique_ptr<sqlite3_stmt, StatementFinalizer>;

// Resets a prepared statement when its use ends, so that no statement keeps a read
// transaction open between calls.
class StatementUse {
  public:
    explicit StatementUse(const Statement& statement) : statement_(statement.get()) {}
    ~StatementUse() {
        sqlite3_reset(statement_);
        sqlite3_clear_bindings(statement_);
    }
    StatementUse(const StatementUse&) = delete;
    StatementUse& operator=(const StatementUse&) = delete;

    bool bind(int index, std::string_view text) {
        return sqlite3_bind_text(statement_, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT) ==
               SQLITE_OK;
    }
    int step() { return sqlite3_step(statement_); }
    Text column(int index) const {
        const auto* bytes = static_cast<const char*>(sqlite3_column_blob(statement_, index));
        return bytes ? Text(bytes, static_cast<std::size_t>(sqlite3_column_bytes(statement_, index))) : Text();
    }

  private:
    sqlite3_stmt* statement_;
};

bool execute(sqlite3* db, const char* sql) { return sqlite3_exec(db, sql, nullptr, nullptr, nullptr) == SQLITE_OK; }

Statement prepare(sqlite3* db, const char* sql) {
    sqlite3_stmt* raw = nullptr;
    sqlite3_prepare_v3(db, sql, -1, SQLITE_PREPARE_PERSISTENT, &raw, nullptr);
    return Statement(raw);
}

// One open store with its prepared statements, owned by one thread.
struct Connection {
    std::filesystem::path path;
    Database db;
    Statement select, upsert, remove, begin, commit, rollback;

    bool ready() const { return db && select && upsert && remove && begin && commit && rollback; }
};

std::optional<Connection> openConnection(const std::filesystem::path& path) {
    std::error_code error;
    const auto folder = path.parent_path();
    std::filesystem::create_directories(folder, error);
    std::filesystem::permissions(folder, std::filesystem::perms::owner_all, error);

    sqlite3* raw = nullptr;
    const int opened =
        sqlite3_open_v2(path.c_str(), &raw, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr);
    Connection connection{path, Database(raw), {}, {}, {}, {}, {}, {}};
    if (opened != SQLITE_OK) return std::nullopt;
    // Cookies are credentials: only the owner reads them.
    std::filesystem::permissions(path, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write, error);
    sqlite3* db = connection.db.get();
    sqlite3_busy_timeout(db, kBusyTimeoutMs);
    // WAL lets readers go on while another thread or process writes; NORMAL
    // syncing is durable across a crash of the program under WAL.
    if (!execute(db, "PRAGMA journal_mode=WAL") || !execute(db, "PRAGMA synchronous=NORMAL") || !execute(db, kSchema)) {
        return std::nullopt;
    }
    connection.select = prepare(db, kSelectSql);
    connection.upsert = prepare(db, kUpsertSql);
    connection.remove = prepare(db, kDeleteSql);
    // IMMEDIATE takes the write lock up front, so the busy time-out applies
    // instead of a deadlock between two readers upgrading at once.
    connection.begin = prepare(db, "BEGIN IMMEDIATE");
    connection.commit = prepare(db, "COMMIT");
    connection.rollback = prepare(db, "ROLLBACK");
    if (!connection.ready()) return std::nullopt;
    return connection;
}

// The calling thread's connection to the current environment's store, opened on
// first use and again when the store's path changes; null when it cannot be opened.
Connection* threadConnection() {
    thread_local std::optional<Connection> connection;
    const auto path = cookieStorePath();
    if (path.empty()) return nullptr;
    if (!connection || connection->path != path) {
        connection.reset();
        connection = openConnection(path);
    }
    return connection ? &*connection : nullptr;
}

std::filesystem::path homeFolder() {
    if (const char* home = std::getenv("HOME"); home && *home) return home;
    if (const passwd* entry = getpwuid(getuid()); entry && entry->pw_dir) return entry->pw_dir;
    return {};
}

bool runStep(const Statement& statement) {
    StatementUse use(statement);
    return use.step() == SQLITE_DONE;
}

}  // namespace

std::filesystem::path cookieStorePath() {
    std::filesystem::path dataHome;
    if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && xdg[0] == '/') {
        dataHome = xdg;
    } else if (auto home = homeFolder(); !home.empty()) {
        dataHome = home / ".local" / "share";
    } else {
        return {};
    }
    return dataHome / kAppId / kStoreFileName;
}

Text storeHostKey(const Text& host) {
    Text key = trimText(host);
    key.erase(0, key.find_first_not_of('.'));
    return lowerText(key);
}

std::optional<std::vector<StoredCookie>> loadCookies(const Text& hostKey) {
    Connection* connection = threadConnection();
    if (!connection) return std::nullopt;
    StatementUse select(connection->select);
    if (!select.bind(1, hostKey)) return std::nullopt;
    std::vector<StoredCookie> cookies;
    for (;;) {
        const int result = select.step();
        if (result == SQLITE_DONE) return cookies;
        if (result != SQLITE_ROW) return std::nullopt;
        cookies.push_back({select.column(0), select.column(1)});
    }
}

bool saveCookies(const Text& hostKey, const std::vector<StoredCookie>& toSet, const std::vector<Text>& toRemove) {
    Connection* connection = threadConnection();
    if (!connection) return false;
    if (!runStep(connection->begin)) return false;
    bool written = true;
    for (const StoredCookie& cookie : toSet) {
        const Text name = trimText(cookie.name);
        if (name.empty()) continue;
        StatementUse upsert(connection->upsert);
        written = upsert.bind(1, hostKey) && upsert.bind(2, name) && upsert.bind(3, cookie.value) &&
                  upsert.step() == SQLITE_DONE;
        if (!written) break;
    }
    for (const Text& name : toRemove) {
        if (!written) break;
        StatementUse remove(connection->remove);
        written = remove.bind(1, hostKey) && remove.bind(2, trimText(name)) && remove.step() == SQLITE_DONE;
    }
    if (written && runStep(connection->commit)) return true;
    runStep(connection->rollback);
    return false;
}

std::vector<StoredCookie> storedCookies(const Text& host) {
    const Text key = storeHostKey(host);
    if (key.empty()) return {};
    return loadCookies(key).value_or(std::vector<StoredCookie>{});
}

bool storeCookie(const Text& host, const Text& name, const Text& value) {
    const Text key = storeHostKey(host);
    if (key.empty() || trimText(name).empty()) return false;
    return saveCookies(key, {{name, value}}, {});
}

bool removeStoredCookie(const Text& host, const Text& name) {
    const Text key = storeHostKey(host);
    if (key.empty()) return false;
    return saveCookies(key, {}, {name});
}
