#include "AttributeIndex.h"

#include "PathUtils.h"
#include "QueryPredicate.h"

#include <Errors.h>
#include <HostPath.h>
#include <TypeConstants.h>

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <sqlite3.h>
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <map>
#include <mutex>
#include <optional>
#include <set>

namespace BPrivate {

namespace {

const char kDatabasePath[] = "/boot/var/index/attributes.db";
const char kXattrPrefix[] = "user.";
const size_t kTypeLength = 4;
// Files changed this long before a rescan are looked at again by the next
// one: file times come from a coarse clock that lags the system clock by up
// to a tick.
const int64 kRescanMargin = 1000000000LL;
const int kBusyMilliseconds = 10000;

struct DefaultIndex {
	const char* name;
	uint32 type;
};

// What a boot volume holds from the start, so that mail filed on a fresh
// volume is found by the first query.
const DefaultIndex kDefaultIndexes[] = {
	{"MAIL:status", B_STRING_TYPE},
	{"MAIL:from", B_STRING_TYPE},
	{"MAIL:to", B_STRING_TYPE},
	{"MAIL:cc", B_STRING_TYPE},
	{"MAIL:reply", B_STRING_TYPE},
	{"MAIL:subject", B_STRING_TYPE},
	{"MAIL:name", B_STRING_TYPE},
	{"MAIL:when", B_TIME_TYPE},
	{"MAIL:flags", B_INT32_TYPE},
};

bool
is_default_index(const char* name)
{
	for (const DefaultIndex& index : kDefaultIndexes) {
		if (strcmp(index.name, name) == 0)
			return true;
	}
	return false;
}

int64
now_nanoseconds()
{
	struct timespec now;
	clock_gettime(CLOCK_REALTIME, &now);
	return (int64)now.tv_sec * 1000000000LL + now.tv_nsec;
}

int64
ctime_nanoseconds(const struct stat& st)
{
	return (int64)st.st_ctim.tv_sec * 1000000000LL + st.st_ctim.tv_nsec;
}

bool
sqlite_ok(int result)
{
	return result == SQLITE_OK || result == SQLITE_DONE || result == SQLITE_ROW;
}

// One connection per process, guarded by a mutex. Reopened when the boot
// volume moves (tests give each case its own) or after a fork, whose child
// must not use the parent's connection.
class Database {
public:
	~Database() { _Close(); }

	// NULL when there is no index database and create is false, or it
	// cannot be opened.
	sqlite3* Get(bool create)
	{
		BString path = host_path(kDatabasePath);
		if (fDb != NULL && (fPath != path || fPid != getpid()))
			_Close();
		if (fDb != NULL)
			return fDb;
		struct stat st;
		if (!create && stat(path.String(), &st) != 0)
			return NULL;
		if (_Open(path) != B_OK)
			return NULL;
		return fDb;
	}

	sqlite3_stmt* Statement(const char* sql)
	{
		auto found = fStatements.find(sql);
		if (found != fStatements.end()) {
			sqlite3_reset(found->second);
			sqlite3_clear_bindings(found->second);
			return found->second;
		}
		sqlite3_stmt* statement = NULL;
		if (sqlite3_prepare_v2(fDb, sql, -1, &statement, NULL) != SQLITE_OK) {
			_Report("prepare");
			return NULL;
		}
		fStatements[sql] = statement;
		return statement;
	}

	bool Execute(const char* sql)
	{
		if (sqlite3_exec(fDb, sql, NULL, NULL, NULL) == SQLITE_OK)
			return true;
		_Report(sql);
		return false;
	}

	bool Begin() { return Execute("BEGIN IMMEDIATE"); }
	bool Commit()
	{
		if (Execute("COMMIT"))
			return true;
		Execute("ROLLBACK");
		return false;
	}
	void Rollback() { sqlite3_exec(fDb, "ROLLBACK", NULL, NULL, NULL); }

	void _Report(const char* what)
	{
		fprintf(stderr, "attribute index %s: %s: %s\n", fPath.String(), what,
			fDb != NULL ? sqlite3_errmsg(fDb) : "not open");
	}

private:
	status_t _Open(const BString& path)
	{
		BString folder = parent_of(path);
		BString made;
		// The index holds senders and subjects: for the user's eyes only.
		for (int32 at = 1; at <= folder.Length(); at++) {
			if (at == folder.Length() || folder[at] == '/') {
				made.SetTo(folder.String(), at);
				mkdir(made.String(), 0700);
			}
		}
		mode_t old = umask(077);
		int result = sqlite3_open_v2(path.String(), &fDb,
			SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_FULLMUTEX, NULL);
		umask(old);
		fPath = path;
		fPid = getpid();
		if (result != SQLITE_OK) {
			_Report("open");
			_Close();
			return B_IO_ERROR;
		}
		sqlite3_busy_timeout(fDb, kBusyMilliseconds);
		sqlite3_exec(fDb, "PRAGMA journal_mode=WAL", NULL, NULL, NULL);
		sqlite3_exec(fDb, "PRAGMA synchronous=NORMAL", NULL, NULL, NULL);
		if (!_Prepare()) {
			_Close();
			return B_IO_ERROR;
		}
		return B_OK;
	}

	bool _Prepare()
	{
		if (!Begin())
			return false;
		sqlite3_stmt* version = NULL;
		int current = 0;
		if (sqlite3_prepare_v2(fDb, "PRAGMA user_version", -1, &version, NULL) == SQLITE_OK
			&& sqlite3_step(version) == SQLITE_ROW)
			current = sqlite3_column_int(version, 0);
		sqlite3_finalize(version);
		if (current == 0) {
			bool done = Execute(
				"CREATE TABLE indexes(name TEXT PRIMARY KEY, type INTEGER NOT NULL,"
				" created INTEGER NOT NULL);"
				"CREATE TABLE dirs(id INTEGER PRIMARY KEY, path TEXT NOT NULL UNIQUE,"
				" looked INTEGER NOT NULL DEFAULT 0);"
				"CREATE TABLE files(id INTEGER PRIMARY KEY, dir INTEGER NOT NULL,"
				" name TEXT NOT NULL, UNIQUE(dir, name));"
				"CREATE TABLE attrs(file INTEGER NOT NULL, attr TEXT NOT NULL, value,"
				" PRIMARY KEY(file, attr)) WITHOUT ROWID;"
				"CREATE INDEX attrs_by_value ON attrs(attr, value);"
				"PRAGMA user_version=1;");
			sqlite3_stmt* insert = NULL;
			done = done
				&& sqlite3_prepare_v2(fDb, "INSERT INTO indexes VALUES(?, ?, ?)", -1, &insert,
					   NULL) == SQLITE_OK;
			for (const DefaultIndex& index : kDefaultIndexes) {
				if (!done)
					break;
				sqlite3_reset(insert);
				sqlite3_bind_text(insert, 1, index.name, -1, SQLITE_STATIC);
				sqlite3_bind_int64(insert, 2, index.type);
				sqlite3_bind_int64(insert, 3, time(NULL));
				done = sqlite3_step(insert) == SQLITE_DONE;
			}
			sqlite3_finalize(insert);
			if (!done) {
				Rollback();
				return false;
			}
		}
		return Commit();
	}

	void _Close()
	{
		if (fDb != NULL && fPid == getpid()) {
			for (auto& statement : fStatements)
				sqlite3_finalize(statement.second);
			sqlite3_close(fDb);
		}
		// A connection inherited through fork is left alone: closing it
		// here could undo the parent's work on the database files.
		fStatements.clear();
		fDb = NULL;
	}

	sqlite3* fDb = NULL;
	BString fPath;
	pid_t fPid = -1;
	std::map<const char*, sqlite3_stmt*> fStatements;
};

std::mutex sLock;
Database sDatabase;

// The statement, bound in order by the caller, stepped by the helpers.
struct Step {
	Step(const char* sql) : statement(sDatabase.Statement(sql)) {}
	~Step()
	{
		if (statement != NULL)
			sqlite3_reset(statement);
	}

	Step& Text(int at, const char* text, int length = -1)
	{
		if (statement != NULL)
			sqlite3_bind_text(statement, at, text, length, SQLITE_TRANSIENT);
		return *this;
	}
	Step& Integer(int at, int64 value)
	{
		if (statement != NULL)
			sqlite3_bind_int64(statement, at, value);
		return *this;
	}
	Step& Value(int at, const AttrValue& value)
	{
		if (statement == NULL)
			return *this;
		switch (value.kind) {
			case AttrValue::kString:
				return Text(at, value.text.data(), (int)value.text.size());
			case AttrValue::kInteger:
				return Integer(at, value.integer);
			case AttrValue::kFloat:
				sqlite3_bind_double(statement, at, value.real);
				return *this;
		}
		return *this;
	}
	bool Row() { return statement != NULL && sqlite3_step(statement) == SQLITE_ROW; }
	bool Run()
	{
		if (statement == NULL)
			return false;
		int result = sqlite3_step(statement);
		if (!sqlite_ok(result)) {
			sDatabase._Report("write");
			return false;
		}
		return true;
	}
	int64 Column(int at) { return sqlite3_column_int64(statement, at); }
	std::string ColumnText(int at)
	{
		const char* text = (const char*)sqlite3_column_text(statement, at);
		return std::string(text != NULL ? text : "", sqlite3_column_bytes(statement, at));
	}
	AttrValue ColumnValue(int at)
	{
		AttrValue value;
		switch (sqlite3_column_type(statement, at)) {
			case SQLITE_INTEGER:
				value.kind = AttrValue::kInteger;
				value.integer = Column(at);
				break;
			case SQLITE_FLOAT:
				value.kind = AttrValue::kFloat;
				value.real = sqlite3_column_double(statement, at);
				break;
			default:
				value.kind = AttrValue::kString;
				value.text = ColumnText(at);
				break;
		}
		return value;
	}

	sqlite3_stmt* statement;
};

std::optional<uint32>
index_type(const char* name)
{
	Step step("SELECT type FROM indexes WHERE name = ?");
	step.Text(1, name);
	if (!step.Row())
		return std::nullopt;
	return (uint32)step.Column(0);
}

std::map<std::string, uint32>
all_indexes()
{
	std::map<std::string, uint32> indexes;
	Step step("SELECT name, type FROM indexes");
	while (step.Row())
		indexes[step.ColumnText(0)] = (uint32)step.Column(1);
	return indexes;
}

// The id of the folder's row, made when asked to; -1 if none.
int64
dir_id(const BString& path, bool make)
{
	{
		Step step("SELECT id FROM dirs WHERE path = ?");
		step.Text(1, path.String());
		if (step.Row())
			return step.Column(0);
	}
	if (!make)
		return -1;
	// A new folder is looked at from now on; what it held before came
	// through the kit or is found by the next rescan's first look.
	Step insert("INSERT INTO dirs(path, looked) VALUES(?, 0)");
	insert.Text(1, path.String());
	if (!insert.Run())
		return -1;
	return sqlite3_last_insert_rowid(sqlite3_db_handle(insert.statement));
}

int64
file_id(int64 dir, const char* name, bool make)
{
	{
		Step step("SELECT id FROM files WHERE dir = ? AND name = ?");
		step.Integer(1, dir).Text(2, name);
		if (step.Row())
			return step.Column(0);
	}
	if (!make)
		return -1;
	Step insert("INSERT INTO files(dir, name) VALUES(?, ?)");
	insert.Integer(1, dir).Text(2, name);
	if (!insert.Run())
		return -1;
	return sqlite3_last_insert_rowid(sqlite3_db_handle(insert.statement));
}

int64
file_id_for_path(const char* hostPath, bool make)
{
	BString path(hostPath);
	int64 dir = dir_id(parent_of(path), make);
	if (dir < 0)
		return -1;
	return file_id(dir, leaf_of(path), make);
}

void
drop_file(int64 file)
{
	Step attrs("DELETE FROM attrs WHERE file = ?");
	attrs.Integer(1, file).Run();
	Step files("DELETE FROM files WHERE id = ?");
	files.Integer(1, file).Run();
}

bool
store_value(int64 file, const char* name, const AttrValue& value)
{
	Step step("INSERT OR REPLACE INTO attrs(file, attr, value) VALUES(?, ?, ?)");
	step.Integer(1, file).Text(2, name).Value(3, value);
	return step.Run();
}

void
drop_value(int64 file, const char* name)
{
	Step step("DELETE FROM attrs WHERE file = ? AND attr = ?");
	step.Integer(1, file).Text(2, name).Run();
}

bool
read_host_attr(const char* hostPath, const std::string& key, std::vector<uint8>* bytes)
{
	bytes->resize(256);
	for (int tries = 0; tries < 4; tries++) {
		ssize_t got = lgetxattr(hostPath, key.c_str(), bytes->data(), bytes->size());
		if (got >= 0) {
			bytes->resize(got);
			return true;
		}
		if (errno != ERANGE)
			return false;
		ssize_t size = lgetxattr(hostPath, key.c_str(), NULL, 0);
		if (size < 0)
			return false;
		bytes->resize(size + 1);
	}
	return false;
}

// Reads the indexed attributes of one file changed behind the kit's back.
void
refresh_file(int64 dir, const char* name, const std::string& hostPath,
	const std::map<std::string, uint32>& indexes)
{
	int64 file = file_id(dir, name, false);
	// One listing says which indexed attributes are there to be read.
	std::vector<char> list(4096);
	ssize_t listed = llistxattr(hostPath.c_str(), list.data(), list.size());
	if (listed < 0 && errno == ERANGE) {
		listed = llistxattr(hostPath.c_str(), NULL, 0);
		if (listed > 0) {
			list.resize(listed);
			listed = llistxattr(hostPath.c_str(), list.data(), list.size());
		}
	}
	std::set<std::string> present;
	for (ssize_t at = 0; at < listed; at += strlen(list.data() + at) + 1) {
		if (strncmp(list.data() + at, kXattrPrefix, sizeof(kXattrPrefix) - 1) == 0)
			present.insert(list.data() + at + sizeof(kXattrPrefix) - 1);
	}
	bool any = false;
	for (const auto& index : indexes) {
		std::vector<uint8> bytes;
		AttrValue value;
		bool indexed = present.count(index.first) != 0
			&& read_host_attr(hostPath.c_str(), kXattrPrefix + index.first, &bytes)
			&& bytes.size() >= kTypeLength;
		if (indexed) {
			uint32 type = ((uint32)bytes[0] << 24) | ((uint32)bytes[1] << 16)
				| ((uint32)bytes[2] << 8) | bytes[3];
			indexed = kind_of_type(type) == kind_of_type(index.second)
				&& decode_attr_value(type, bytes.data() + kTypeLength,
					bytes.size() - kTypeLength, &value);
		}
		if (indexed) {
			if (file < 0)
				file = file_id(dir, name, true);
			if (file >= 0)
				store_value(file, index.first.c_str(), value);
			any = true;
		} else if (file >= 0)
			drop_value(file, index.first.c_str());
	}
	if (!any && file >= 0)
		drop_file(file);
}

// Looks at every file of the indexed folders that changed since the last
// look, as another program may have set or removed attributes.
void
rescan()
{
	std::map<std::string, uint32> indexes = all_indexes();
	struct Folder {
		int64 id;
		std::string path;
		int64 looked;
	};
	std::vector<Folder> folders;
	{
		Step step("SELECT id, path, looked FROM dirs");
		while (step.Row())
			folders.push_back({step.Column(0), step.ColumnText(1), step.Column(2)});
	}
	if (!sDatabase.Begin())
		return;
	for (const Folder& folder : folders) {
		int64 started = now_nanoseconds();
		DIR* dir = opendir(folder.path.c_str());
		if (dir == NULL) {
			if (errno == ENOENT || errno == ENOTDIR) {
				Step attrs("DELETE FROM attrs WHERE file IN (SELECT id FROM files WHERE dir = ?)");
				attrs.Integer(1, folder.id).Run();
				Step files("DELETE FROM files WHERE dir = ?");
				files.Integer(1, folder.id).Run();
				Step dirs("DELETE FROM dirs WHERE id = ?");
				dirs.Integer(1, folder.id).Run();
			}
			continue;
		}
		int fd = dirfd(dir);
		while (struct dirent* entry = readdir(dir)) {
			if (strcmp(entry->d_name, ".") == 0 || strcmp(entry->d_name, "..") == 0)
				continue;
			struct stat st;
			if (fstatat(fd, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0 || S_ISLNK(st.st_mode))
				continue;
			if (ctime_nanoseconds(st) < folder.looked)
				continue;
			refresh_file(folder.id, entry->d_name, folder.path + "/" + entry->d_name, indexes);
		}
		closedir(dir);
		Step looked("UPDATE dirs SET looked = ? WHERE id = ?");
		looked.Integer(1, started - kRescanMargin).Integer(2, folder.id).Run();
	}
	if (!sDatabase.Commit())
		sDatabase._Report("rescan");
}

using FileSet = std::set<int64>;

std::optional<FileSet>
candidates(const PredicateNode* node)
{
	if (node->type == PredicateNode::kCompare) {
		std::optional<uint32> type = index_type(node->attribute.c_str());
		if (!type)
			return std::nullopt;
		FileSet files;
		bool exact = node->op == kOpEqual && !node->hasWildcards
			&& kind_of_type(*type) == AttrValue::kString;
		if (exact) {
			Step step("SELECT file FROM attrs WHERE attr = ? AND value = ?");
			step.Text(1, node->attribute.c_str())
				.Text(2, node->literal.data(), (int)node->literal.size());
			while (step.Row())
				files.insert(step.Column(0));
		} else {
			Step step("SELECT file, value FROM attrs WHERE attr = ?");
			step.Text(1, node->attribute.c_str());
			while (step.Row()) {
				if (node->Matches(step.ColumnValue(1)))
					files.insert(step.Column(0));
			}
		}
		return files;
	}

	std::optional<FileSet> result;
	for (const auto& child : node->children) {
		std::optional<FileSet> found = candidates(child.get());
		if (node->type == PredicateNode::kOr) {
			if (!found)
				return std::nullopt;
			if (!result)
				result = FileSet();
			result->insert(found->begin(), found->end());
		} else if (found) {
			if (!result)
				result = std::move(found);
			else {
				FileSet both;
				std::set_intersection(result->begin(), result->end(), found->begin(),
					found->end(), std::inserter(both, both.begin()));
				result = std::move(both);
			}
		}
	}
	return result;
}

bool
on_boot_volume(int fd, const char* hostPath)
{
	struct stat st;
	int result = fd >= 0 ? fstat(fd, &st) : lstat(hostPath, &st);
	return result == 0 && is_boot_volume(st.st_dev);
}

} // namespace

dev_t
boot_volume_device()
{
	struct stat st;
	if (stat(host_path("/boot/home").String(), &st) != 0)
		return (dev_t)-1;
	return st.st_dev;
}

bool
is_boot_volume(dev_t device)
{
	return device != (dev_t)-1 && device == boot_volume_device();
}

void
index_attribute_written(int fd, const char* hostPath, const char* name, uint32 type,
	const void* data, size_t length)
{
	std::lock_guard<std::mutex> lock(sLock);
	if (sDatabase.Get(false) == NULL) {
		// Only the attributes a fresh volume indexes bring the index about.
		if (!is_default_index(name) || !on_boot_volume(fd, hostPath)
			|| sDatabase.Get(true) == NULL)
			return;
	} else if (!on_boot_volume(fd, hostPath))
		return;

	std::optional<uint32> indexType = index_type(name);
	if (!indexType)
		return;
	AttrValue value;
	bool indexable = kind_of_type(type) == kind_of_type(*indexType)
		&& decode_attr_value(type, data, length, &value);
	if (!sDatabase.Begin())
		return;
	int64 file = file_id_for_path(hostPath, indexable);
	if (file >= 0) {
		if (indexable)
			store_value(file, name, value);
		else
			drop_value(file, name);
	}
	sDatabase.Commit();
}

void
index_attribute_removed(int, const char* hostPath, const char* name)
{
	std::lock_guard<std::mutex> lock(sLock);
	if (sDatabase.Get(false) == NULL)
		return;
	int64 file = file_id_for_path(hostPath, false);
	if (file >= 0)
		drop_value(file, name);
}

void
index_entry_renamed(const char* from, const char* to)
{
	std::lock_guard<std::mutex> lock(sLock);
	if (sDatabase.Get(false) == NULL || !sDatabase.Begin())
		return;
	BString fromPath(from);
	BString toPath(to);
	// What the move replaced is gone.
	int64 replaced = file_id_for_path(to, false);
	if (replaced >= 0)
		drop_file(replaced);
	int64 file = file_id_for_path(from, false);
	if (file >= 0) {
		int64 dir = dir_id(parent_of(toPath), true);
		Step step("UPDATE files SET dir = ?, name = ? WHERE id = ?");
		step.Integer(1, dir).Text(2, leaf_of(toPath)).Integer(3, file).Run();
	}
	// A folder moves with the folders below it, over whatever empty folder
	// stood at its new name.
	std::string newPrefix = std::string(to) + "/";
	{
		Step attrs("DELETE FROM attrs WHERE file IN (SELECT f.id FROM files f JOIN dirs d"
				   " ON d.id = f.dir WHERE d.path = ? OR substr(d.path, 1, ?) = ?)");
		attrs.Text(1, to).Integer(2, (int64)newPrefix.size()).Text(3, newPrefix.c_str()).Run();
		Step files("DELETE FROM files WHERE dir IN (SELECT id FROM dirs WHERE path = ? OR"
				   " substr(path, 1, ?) = ?)");
		files.Text(1, to).Integer(2, (int64)newPrefix.size()).Text(3, newPrefix.c_str()).Run();
		Step dirs("DELETE FROM dirs WHERE path = ? OR substr(path, 1, ?) = ?");
		dirs.Text(1, to).Integer(2, (int64)newPrefix.size()).Text(3, newPrefix.c_str()).Run();
	}
	std::string oldPrefix = std::string(from) + "/";
	Step folders("UPDATE dirs SET path = ? || substr(path, ?) WHERE path = ? OR"
				 " substr(path, 1, ?) = ?");
	folders.Text(1, to)
		.Integer(2, fromPath.Length() + 1)
		.Text(3, from)
		.Integer(4, (int64)oldPrefix.size())
		.Text(5, oldPrefix.c_str())
		.Run();
	sDatabase.Commit();
}

void
index_entry_removed(const char* hostPath)
{
	std::lock_guard<std::mutex> lock(sLock);
	if (sDatabase.Get(false) == NULL)
		return;
	int64 file = file_id_for_path(hostPath, false);
	if (file >= 0 && sDatabase.Begin()) {
		drop_file(file);
		sDatabase.Commit();
	}
}

void
index_forget(const char* hostPath)
{
	index_entry_removed(hostPath);
}

status_t
index_create(const char* name, uint32 type)
{
	if (name == NULL || name[0] == '\0')
		return B_BAD_VALUE;
	switch (type) {
		case B_STRING_TYPE:
		case B_MIME_STRING_TYPE:
		case B_INT32_TYPE:
		case B_UINT32_TYPE:
		case B_INT64_TYPE:
		case B_UINT64_TYPE:
		case B_TIME_TYPE:
		case B_FLOAT_TYPE:
		case B_DOUBLE_TYPE:
			break;
		default:
			return B_BAD_TYPE;
	}
	std::lock_guard<std::mutex> lock(sLock);
	if (sDatabase.Get(true) == NULL)
		return B_IO_ERROR;
	if (index_type(name))
		return B_FILE_EXISTS;
	Step step("INSERT INTO indexes VALUES(?, ?, ?)");
	step.Text(1, name).Integer(2, type).Integer(3, time(NULL));
	return step.Run() ? B_OK : B_IO_ERROR;
}

status_t
index_remove(const char* name)
{
	if (name == NULL)
		return B_BAD_VALUE;
	std::lock_guard<std::mutex> lock(sLock);
	if (sDatabase.Get(true) == NULL)
		return B_IO_ERROR;
	if (!index_type(name))
		return B_ENTRY_NOT_FOUND;
	if (!sDatabase.Begin())
		return B_IO_ERROR;
	Step values("DELETE FROM attrs WHERE attr = ?");
	values.Text(1, name).Run();
	Step index("DELETE FROM indexes WHERE name = ?");
	index.Text(1, name).Run();
	return sDatabase.Commit() ? B_OK : B_IO_ERROR;
}

status_t
index_stat(const char* name, uint32* type, off_t* size, time_t* created)
{
	if (name == NULL)
		return B_BAD_VALUE;
	std::lock_guard<std::mutex> lock(sLock);
	if (sDatabase.Get(true) == NULL)
		return B_IO_ERROR;
	Step step("SELECT type, created FROM indexes WHERE name = ?");
	step.Text(1, name);
	if (!step.Row())
		return B_ENTRY_NOT_FOUND;
	*type = (uint32)step.Column(0);
	*created = (time_t)step.Column(1);
	Step count("SELECT count(*) FROM attrs WHERE attr = ?");
	count.Text(1, name);
	*size = count.Row() ? count.Column(0) : 0;
	return B_OK;
}

status_t
index_names(std::vector<std::string>* names)
{
	std::lock_guard<std::mutex> lock(sLock);
	if (sDatabase.Get(true) == NULL)
		return B_IO_ERROR;
	for (const auto& index : all_indexes())
		names->push_back(index.first);
	return B_OK;
}

status_t
index_candidates(const PredicateNode* predicate, std::vector<std::string>* hostPaths)
{
	std::lock_guard<std::mutex> lock(sLock);
	if (sDatabase.Get(true) == NULL)
		return B_IO_ERROR;
	rescan();
	std::optional<FileSet> files = candidates(predicate);
	if (!files)
		return B_ENTRY_NOT_FOUND;
	for (int64 file : *files) {
		Step step("SELECT d.path, f.name FROM files f JOIN dirs d ON d.id = f.dir"
				  " WHERE f.id = ?");
		step.Integer(1, file);
		if (step.Row())
			hostPaths->push_back(step.ColumnText(0) + "/" + step.ColumnText(1));
	}
	return B_OK;
}

} // namespace BPrivate
