#include <Path.h>

#include <Directory.h>
#include <Entry.h>

#include "PathUtils.h"

#include <string.h>
#include <unistd.h>

#include <vector>

namespace BPrivate {

BString
normalized_path(const char* path)
{
	BString full;
	if (path[0] != '/') {
		char cwd[B_PATH_NAME_LENGTH];
		if (getcwd(cwd, sizeof(cwd)) != NULL)
			full << cwd << "/";
		else
			full << "/";
	}
	full << path;

	std::vector<std::string> parts;
	const std::string& text = full.StdString();
	size_t start = 0;
	while (start <= text.size()) {
		size_t end = text.find('/', start);
		if (end == std::string::npos)
			end = text.size();
		std::string part = text.substr(start, end - start);
		if (part == "..") {
			if (!parts.empty())
				parts.pop_back();
		} else if (!part.empty() && part != ".")
			parts.push_back(part);
		start = end + 1;
	}

	BString result;
	for (const std::string& part : parts)
		result << "/" << part.c_str();
	if (result.Length() == 0)
		result = "/";
	return result;
}

BString
parent_of(const BString& path)
{
	int32 slash = path.FindLast('/');
	if (slash <= 0)
		return BString("/");
	BString parent;
	path.CopyInto(parent, 0, slash);
	return parent;
}

const char*
leaf_of(const BString& path)
{
	int32 slash = path.FindLast('/');
	return path.String() + slash + 1;
}

} // namespace BPrivate

using namespace BPrivate;

BPath::BPath()
{
}

BPath::BPath(const BPath& path) : fName(path.fName), fStatus(path.fStatus)
{
}

BPath::BPath(const entry_ref* ref)
{
	SetTo(ref);
}

BPath::BPath(const BEntry* entry)
{
	SetTo(entry);
}

BPath::BPath(const char* dir, const char* leaf, bool normalize)
{
	SetTo(dir, leaf, normalize);
}

BPath::BPath(const BDirectory* dir, const char* leaf, bool normalize)
{
	SetTo(dir, leaf, normalize);
}

BPath::~BPath()
{
}

status_t
BPath::SetTo(const entry_ref* ref)
{
	Unset();
	if (ref == NULL || ref->name == NULL)
		return fStatus = B_BAD_VALUE;
	return SetTo(ref->directory_path.String(), ref->name);
}

status_t
BPath::SetTo(const BEntry* entry)
{
	Unset();
	if (entry == NULL || entry->InitCheck() != B_OK)
		return fStatus = B_BAD_VALUE;
	return SetTo(entry->HostPath());
}

status_t
BPath::SetTo(const char* path, const char* leaf, bool)
{
	Unset();
	if (path == NULL || path[0] == '\0')
		return fStatus = B_BAD_VALUE;
	if (leaf != NULL && leaf[0] == '/')
		return fStatus = B_BAD_VALUE;
	BString joined(path);
	if (leaf != NULL && leaf[0] != '\0')
		joined << "/" << leaf;
	fName = normalized_path(joined.String());
	if (fName.Length() >= B_PATH_NAME_LENGTH) {
		fName = "";
		return fStatus = B_NAME_TOO_LONG;
	}
	return fStatus = B_OK;
}

status_t
BPath::SetTo(const BDirectory* dir, const char* leaf, bool normalize)
{
	Unset();
	if (dir == NULL || dir->InitCheck() != B_OK)
		return fStatus = B_BAD_VALUE;
	return SetTo(dir->HostPath(), leaf, normalize);
}

void
BPath::Unset()
{
	fName = "";
	fStatus = B_NO_INIT;
}

status_t
BPath::Append(const char* path, bool normalize)
{
	if (fStatus != B_OK)
		return fStatus;
	BString base(fName);
	return SetTo(base.String(), path, normalize);
}

const char*
BPath::Path() const
{
	return fStatus == B_OK ? fName.String() : NULL;
}

const char*
BPath::Leaf() const
{
	if (fStatus != B_OK)
		return NULL;
	return leaf_of(fName);
}

status_t
BPath::GetParent(BPath* path) const
{
	if (path == NULL)
		return B_BAD_VALUE;
	if (fStatus != B_OK)
		return B_NO_INIT;
	if (fName == "/") {
		path->Unset();
		return B_ENTRY_NOT_FOUND;
	}
	return path->SetTo(parent_of(fName).String());
}

bool
BPath::operator==(const BPath& item) const
{
	return *this == item.Path();
}

bool
BPath::operator==(const char* path) const
{
	const char* mine = Path();
	if (mine == NULL || path == NULL)
		return mine == path;
	return strcmp(mine, path) == 0;
}

BPath&
BPath::operator=(const BPath& item)
{
	fName = item.fName;
	fStatus = item.fStatus;
	return *this;
}

BPath&
BPath::operator=(const char* path)
{
	if (path == NULL)
		Unset();
	else
		SetTo(path);
	return *this;
}
