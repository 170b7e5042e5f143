#include <MimeType.h>

#include <Bitmap.h>
#include <GraphicsDefs.h>

#include <ctype.h>
#include <string.h>
#include <strings.h>

namespace {

// The icon store: mini icons drawn in characters, one row a line, turned
// into system palette indices when asked for.
struct Colour {
	char key;
	rgb_color color;
};

const Colour kLegend[] = {
	{'K', {0, 0, 0, 255}},
	{'D', {96, 96, 96, 255}},
	{'G', {152, 152, 152, 255}},
	{'L', {216, 216, 216, 255}},
	{'W', {255, 255, 255, 255}},
	{'Y', {255, 203, 0, 255}},
	{'O', {203, 152, 0, 255}},
	{'g', {0, 203, 0, 255}},
	{'R', {255, 0, 0, 255}},
};

struct MiniIcon {
	const char* type;
	const char* rows[16];
};

const MiniIcon kMiniIcons[] = {
	// A file server: a machine with two drive slots, its folder in front.
	{"application/x-vnd.be-fileserver",
		{
			"..KKKKKKKKKK....",
			"..KWWWWWWWLK....",
			"..KWDDDDDDGK....",
			"..KWLLLLLLGK....",
			"..KWDDDDDDGK....",
			"..KWLLLLLLGK....",
			"..KWLLLLLgGK....",
			"..KWLLLLLLGK....",
			"..KWLLKKKKK.....",
			"..KWLKYYYYYKKKKK",
			"..KWLKYYYYYYYYYK",
			"..KWLKYYYYYYYYOK",
			"..KWLKYYYYYYYYOK",
			"..KGGKYYYYYYYYOK",
			"..KKKKOOOOOOOOOK",
			".....KKKKKKKKKKK",
		}},
	// A message: a closed envelope.
	{"application/x-vnd.be-mail",
		{
			"................",
			"................",
			"................",
			"KKKKKKKKKKKKKKKK",
			"KDWWWWWWWWWWWWDK",
			"KWDWWWWWWWWWWDWK",
			"KWWDWWWWWWWWDWWK",
			"KWWWDWWWWWWDWWWK",
			"KWWWWDWWWWDWWWWK",
			"KWWWWWDDDDWWWWWK",
			"KWWWWWWWWWWWWWWK",
			"KWWWWWWWWWWWRRWK",
			"KLLLLLLLLLLLLLLK",
			"KKKKKKKKKKKKKKKK",
			"................",
			"................",
		}},
};

uint8
palette_index(char key)
{
	for (const Colour& entry : kLegend) {
		if (entry.key == key) {
			const rgb_color& c = entry.color;
			return system_colors()
				->index_map[((c.red & 0xf8) << 7) | ((c.green & 0xf8) << 2) | (c.blue >> 3)];
		}
	}
	return B_TRANSPARENT_MAGIC_CMAP8;
}

bool
valid_character(char c)
{
	// RFC 2045 token characters, less those the BeOS type names never use.
	return c > 0x20 && c < 0x7f && strchr("()<>@,;:\\\"/[]?=", c) == NULL;
}

} // namespace

BMimeType::BMimeType()
{
	fType[0] = '\0';
}

BMimeType::BMimeType(const char* type)
{
	fType[0] = '\0';
	SetTo(type);
}

BMimeType::~BMimeType()
{
}

status_t
BMimeType::SetTo(const char* type)
{
	Unset();
	if (type == NULL)
		return B_BAD_VALUE;
	if (!IsValid(type)) {
		fStatus = B_BAD_VALUE;
		return fStatus;
	}
	strcpy(fType, type);
	fStatus = B_OK;
	return B_OK;
}

void
BMimeType::Unset()
{
	fType[0] = '\0';
	fStatus = B_NO_INIT;
}

bool
BMimeType::IsValid(const char* type)
{
	if (type == NULL)
		return false;
	size_t length = strlen(type);
	if (length == 0 || length >= kTypeLength)
		return false;
	int slashes = 0;
	for (size_t i = 0; i < length; i++) {
		if (type[i] == '/') {
			// Neither part may be empty.
			if (++slashes > 1 || i == 0 || i == length - 1)
				return false;
		} else if (!valid_character(type[i]))
			return false;
	}
	return true;
}

bool
BMimeType::IsSupertypeOnly() const
{
	return fStatus == B_OK && strchr(fType, '/') == NULL;
}

status_t
BMimeType::GetSupertype(BMimeType* supertype) const
{
	if (supertype == NULL)
		return B_BAD_VALUE;
	supertype->Unset();
	if (fStatus != B_OK)
		return B_NO_INIT;
	const char* slash = strchr(fType, '/');
	if (slash == NULL)
		return B_BAD_VALUE;
	char super[kTypeLength];
	memcpy(super, fType, slash - fType);
	super[slash - fType] = '\0';
	return supertype->SetTo(super);
}

bool
BMimeType::operator==(const BMimeType& type) const
{
	if (fStatus != B_OK || type.fStatus != B_OK)
		return fStatus == type.fStatus;
	return strcasecmp(fType, type.fType) == 0;
}

bool
BMimeType::operator==(const char* type) const
{
	BMimeType other(type);
	return *this == other;
}

status_t
BMimeType::GetIcon(BBitmap* icon, icon_size size) const
{
	if (fStatus != B_OK)
		return B_NO_INIT;
	if (icon == NULL || !icon->IsValid())
		return B_BAD_VALUE;
	BRect bounds = icon->Bounds();
	float side = (float)(int)size;
	if (bounds.Width() + 1 != side || bounds.Height() + 1 != side
		|| (icon->ColorSpace() != B_CMAP8 && icon->ColorSpace() != B_RGBA32))
		return B_BAD_VALUE;
	// The store holds mini icons only.
	const MiniIcon* found = NULL;
	for (const MiniIcon& entry : kMiniIcons) {
		if (strcasecmp(entry.type, fType) == 0)
			found = &entry;
	}
	if (found == NULL || size != B_MINI_ICON)
		return B_ENTRY_NOT_FOUND;

	uint8 bits[16 * 16];
	for (int y = 0; y < 16; y++) {
		for (int x = 0; x < 16; x++)
			bits[y * 16 + x] = palette_index(found->rows[y][x]);
	}
	if (icon->ColorSpace() == B_CMAP8) {
		for (int y = 0; y < 16; y++)
			memcpy((uint8*)icon->Bits() + y * icon->BytesPerRow(), bits + y * 16, 16);
		return B_OK;
	}
	return icon->ImportBits(bits, sizeof(bits), 16, 0, B_CMAP8);
}
