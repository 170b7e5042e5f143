#ifndef _MIME_TYPE_H
#define _MIME_TYPE_H

#include <SupportDefs.h>

class BBitmap;

// The Storage Kit's class on BeOS; it lives in the Interface Kit here
// because its icons are bitmaps.

enum icon_size {
	B_LARGE_ICON = 32,
	B_MINI_ICON = 16,
};

// A MIME type string ("supertype/subtype", compared without regard to case)
// and the icons the kit's own small icon store holds for it.
class BMimeType {
public:
	BMimeType();
	BMimeType(const char* type);
	~BMimeType();

	status_t SetTo(const char* type);
	void Unset();
	status_t InitCheck() const { return fStatus; }

	const char* Type() const { return fStatus == B_OK ? fType : NULL; }
	bool IsValid() const { return fStatus == B_OK; }
	static bool IsValid(const char* type);
	bool IsSupertypeOnly() const;
	status_t GetSupertype(BMimeType* supertype) const;

	bool operator==(const BMimeType& type) const;
	bool operator==(const char* type) const;

	// Copies the type's icon into icon, which must be 16 x 16 for
	// B_MINI_ICON (32 x 32 for B_LARGE_ICON) in B_CMAP8 or B_RGBA32.
	// B_ENTRY_NOT_FOUND when the store has no such icon for the type.
	status_t GetIcon(BBitmap* icon, icon_size size) const;

private:
	// B_MIME_TYPE_LENGTH of the Storage Kit.
	static const int32 kTypeLength = 240;
	char fType[kTypeLength];
	status_t fStatus = B_NO_INIT;
};

#endif
