#include <String.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <strings.h>

BString::BString(const char* string)
{
	SetTo(string);
}

BString::BString(const char* string, int32 maxLength)
{
	SetTo(string, maxLength);
}

int32
BString::CountChars() const
{
	int32 count = 0;
	for (unsigned char c : fData) {
		if ((c & 0xC0) != 0x80)
			count++;
	}
	return count;
}

char
BString::ByteAt(int32 index) const
{
	if (index < 0 || index >= Length())
		return 0;
	return fData[index];
}

BString&
BString::operator=(const char* string)
{
	return SetTo(string);
}

BString&
BString::operator=(char c)
{
	fData.assign(1, c);
	return *this;
}

BString&
BString::SetTo(const char* string)
{
	if (string == NULL)
		fData.clear();
	else
		fData.assign(string);
	return *this;
}

BString&
BString::SetTo(const char* string, int32 maxLength)
{
	if (string == NULL || maxLength <= 0) {
		fData.clear();
		return *this;
	}
	fData.assign(string, strnlen(string, maxLength));
	return *this;
}

BString&
BString::SetTo(const BString& other)
{
	fData = other.fData;
	return *this;
}

BString&
BString::SetTo(char c, int32 count)
{
	fData.assign(count > 0 ? count : 0, c);
	return *this;
}

BString&
BString::operator+=(const BString& other)
{
	fData += other.fData;
	return *this;
}

BString&
BString::operator+=(const char* string)
{
	if (string != NULL)
		fData += string;
	return *this;
}

BString&
BString::operator+=(char c)
{
	fData += c;
	return *this;
}

BString&
BString::Append(const BString& other)
{
	return *this += other;
}

BString&
BString::Append(const char* string)
{
	return *this += string;
}

BString&
BString::Append(const char* string, int32 length)
{
	if (string != NULL && length > 0)
		fData.append(string, strnlen(string, length));
	return *this;
}

BString&
BString::Append(char c, int32 count)
{
	if (count > 0)
		fData.append(count, c);
	return *this;
}

BString&
BString::Prepend(const char* string)
{
	if (string != NULL)
		fData.insert(0, string);
	return *this;
}

BString&
BString::Prepend(const BString& other)
{
	fData.insert(0, other.fData);
	return *this;
}

BString&
BString::Insert(const char* string, int32 position)
{
	if (string == NULL || position < 0 || position > Length())
		return *this;
	fData.insert(position, string);
	return *this;
}

BString&
BString::Truncate(int32 newLength, bool)
{
	if (newLength < 0)
		newLength = 0;
	if (newLength < Length())
		fData.resize(newLength);
	return *this;
}

BString&
BString::Remove(int32 from, int32 length)
{
	if (from < 0 || length <= 0 || from >= Length())
		return *this;
	fData.erase(from, length);
	return *this;
}

BString&
BString::RemoveFirst(const char* string)
{
	int32 at = FindFirst(string);
	if (at >= 0)
		fData.erase(at, strlen(string));
	return *this;
}

BString&
BString::RemoveAll(const char* string)
{
	return ReplaceAll(string, "");
}

BString&
BString::MoveInto(BString& into, int32 from, int32 length)
{
	CopyInto(into, from, length);
	return Remove(from, length);
}

void
BString::CopyInto(BString& into, int32 from, int32 length) const
{
	if (from < 0 || from > Length() || length < 0) {
		into.fData.clear();
		return;
	}
	into.fData = fData.substr(from, length);
}

int32
BString::FindFirst(const char* string, int32 fromOffset) const
{
	if (string == NULL || fromOffset < 0 || fromOffset > Length())
		return B_ERROR;
	size_t at = fData.find(string, fromOffset);
	return at == std::string::npos ? B_ERROR : (int32)at;
}

int32
BString::FindFirst(char c, int32 fromOffset) const
{
	if (fromOffset < 0 || fromOffset > Length())
		return B_ERROR;
	size_t at = fData.find(c, fromOffset);
	return at == std::string::npos ? B_ERROR : (int32)at;
}

int32
BString::FindLast(const char* string) const
{
	if (string == NULL)
		return B_ERROR;
	size_t at = fData.rfind(string);
	return at == std::string::npos ? B_ERROR : (int32)at;
}

int32
BString::FindLast(char c) const
{
	size_t at = fData.rfind(c);
	return at == std::string::npos ? B_ERROR : (int32)at;
}

int32
BString::IFindFirst(const char* string, int32 fromOffset) const
{
	if (string == NULL || fromOffset < 0 || fromOffset > Length())
		return B_ERROR;
	size_t length = strlen(string);
	for (size_t i = fromOffset; i + length <= fData.size(); i++) {
		if (strncasecmp(fData.c_str() + i, string, length) == 0)
			return (int32)i;
	}
	return B_ERROR;
}

BString&
BString::ReplaceFirst(const char* replaceThis, const char* withThis)
{
	int32 at = FindFirst(replaceThis);
	if (at >= 0 && withThis != NULL)
		fData.replace(at, strlen(replaceThis), withThis);
	return *this;
}

BString&
BString::ReplaceAll(const char* replaceThis, const char* withThis, int32 fromOffset)
{
	if (replaceThis == NULL || withThis == NULL || replaceThis[0] == '\0')
		return *this;
	size_t from = strlen(replaceThis);
	size_t to = strlen(withThis);
	size_t at = fromOffset > 0 ? fromOffset : 0;
	while ((at = fData.find(replaceThis, at)) != std::string::npos) {
		fData.replace(at, from, withThis);
		at += to;
	}
	return *this;
}

BString&
BString::ReplaceAll(char replaceThis, char withThis, int32 fromOffset)
{
	for (size_t i = fromOffset > 0 ? fromOffset : 0; i < fData.size(); i++) {
		if (fData[i] == replaceThis)
			fData[i] = withThis;
	}
	return *this;
}

BString&
BString::ToLower()
{
	for (char& c : fData)
		c = tolower((unsigned char)c);
	return *this;
}

BString&
BString::ToUpper()
{
	for (char& c : fData)
		c = toupper((unsigned char)c);
	return *this;
}

BString&
BString::Trim()
{
	size_t first = fData.find_first_not_of(" \t\r\n");
	if (first == std::string::npos) {
		fData.clear();
		return *this;
	}
	size_t last = fData.find_last_not_of(" \t\r\n");
	fData = fData.substr(first, last - first + 1);
	return *this;
}

int
BString::Compare(const char* string) const
{
	return strcmp(String(), string != NULL ? string : "");
}

int
BString::ICompare(const char* string) const
{
	return strcasecmp(String(), string != NULL ? string : "");
}

bool
BString::operator==(const char* string) const
{
	return Compare(string) == 0;
}

BString&
BString::operator<<(const char* string)
{
	return *this += string;
}

BString&
BString::operator<<(const BString& other)
{
	return *this += other;
}

BString&
BString::operator<<(char c)
{
	return *this += c;
}

BString&
BString::operator<<(int32 value)
{
	fData += std::to_string(value);
	return *this;
}

BString&
BString::operator<<(uint32 value)
{
	fData += std::to_string(value);
	return *this;
}

BString&
BString::operator<<(int64 value)
{
	fData += std::to_string(value);
	return *this;
}

BString&
BString::operator<<(uint64 value)
{
	fData += std::to_string(value);
	return *this;
}

BString&
BString::operator<<(float value)
{
	char buffer[64];
	snprintf(buffer, sizeof(buffer), "%.2f", value);
	fData += buffer;
	return *this;
}

char*
BString::LockBuffer(int32 maxLength)
{
	if (maxLength > Length())
		fData.resize(maxLength, '\0');
	return fData.data();
}

BString&
BString::UnlockBuffer(int32 length)
{
	if (length < 0)
		length = (int32)strnlen(fData.c_str(), fData.size());
	fData.resize(std::min<size_t>(length, fData.size()));
	return *this;
}

BString
operator+(const BString& a, const char* b)
{
	BString result(a);
	result += b;
	return result;
}

BString
operator+(const BString& a, const BString& b)
{
	BString result(a);
	result += b;
	return result;
}
