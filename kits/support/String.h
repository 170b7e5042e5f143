#ifndef _B_STRING_H
#define _B_STRING_H

#include <SupportDefs.h>

#include <string>

// A byte string as on BeOS: lengths and offsets count bytes, never characters.
class BString {
public:
	BString() = default;
	BString(const char* string);
	BString(const char* string, int32 maxLength);
	BString(const BString& other) = default;
	BString(BString&& other) noexcept = default;
	~BString() = default;

	const char* String() const { return fData.c_str(); }
	int32 Length() const { return (int32)fData.size(); }
	int32 CountChars() const;
	char ByteAt(int32 index) const;
	char operator[](int32 index) const { return fData[index]; }

	BString& operator=(const BString& other) = default;
	BString& operator=(BString&& other) noexcept = default;
	BString& operator=(const char* string);
	BString& operator=(char c);
	BString& SetTo(const char* string);
	BString& SetTo(const char* string, int32 maxLength);
	BString& SetTo(const BString& other);
	BString& SetTo(char c, int32 count);

	BString& operator+=(const BString& other);
	BString& operator+=(const char* string);
	BString& operator+=(char c);
	BString& Append(const BString& other);
	BString& Append(const char* string);
	BString& Append(const char* string, int32 length);
	BString& Append(char c, int32 count);
	BString& Prepend(const char* string);
	BString& Prepend(const BString& other);
	BString& Insert(const char* string, int32 position);

	BString& Truncate(int32 newLength, bool lazy = true);
	BString& Remove(int32 from, int32 length);
	BString& RemoveFirst(const char* string);
	BString& RemoveAll(const char* string);
	BString& MoveInto(BString& into, int32 from, int32 length);
	void CopyInto(BString& into, int32 from, int32 length) const;

	int32 FindFirst(const char* string, int32 fromOffset = 0) const;
	int32 FindFirst(char c, int32 fromOffset = 0) const;
	int32 FindLast(const char* string) const;
	int32 FindLast(char c) const;
	int32 IFindFirst(const char* string, int32 fromOffset = 0) const;

	BString& ReplaceFirst(const char* replaceThis, const char* withThis);
	BString& ReplaceAll(const char* replaceThis, const char* withThis, int32 fromOffset = 0);
	BString& ReplaceAll(char replaceThis, char withThis, int32 fromOffset = 0);
	BString& ToLower();
	BString& ToUpper();
	BString& Trim();

	int Compare(const char* string) const;
	int Compare(const BString& other) const { return Compare(other.String()); }
	int ICompare(const char* string) const;
	bool operator==(const BString& other) const { return fData == other.fData; }
	bool operator==(const char* string) const;
	bool operator!=(const BString& other) const { return !(*this == other); }
	bool operator!=(const char* string) const { return !(*this == string); }
	bool operator<(const BString& other) const { return fData < other.fData; }

	BString& operator<<(const char* string);
	BString& operator<<(const BString& other);
	BString& operator<<(char c);
	BString& operator<<(int32 value);
	BString& operator<<(uint32 value);
	BString& operator<<(int64 value);
	BString& operator<<(uint64 value);
	BString& operator<<(float value);

	// The buffer may be written to up to maxLength bytes; UnlockBuffer()
	// takes the length from the written text (or the given length).
	char* LockBuffer(int32 maxLength);
	BString& UnlockBuffer(int32 length = -1);

	// For the kits: the string as a standard string.
	const std::string& StdString() const { return fData; }

private:
	std::string fData;
};

BString operator+(const BString& a, const char* b);
BString operator+(const BString& a, const BString& b);

#endif
