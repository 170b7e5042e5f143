#include <VisibleText.h>

#include <stdio.h>

namespace {

void
append_hex(std::string& out, unsigned char byte)
{
	char escape[8];
	snprintf(escape, sizeof(escape), "\\x%02x", byte);
	out += escape;
}

} // namespace

std::string
visible_text(const char* text, size_t length)
{
	std::string out;
	out.reserve(length);
	for (size_t i = 0; i < length; i++) {
		unsigned char byte = (unsigned char)text[i];
		if (byte == '\t' || byte == '\n') {
			out += (char)byte;
		} else if (byte == '\r' && i + 1 < length && text[i + 1] == '\n') {
			// A CR LF line end as Windows senders write it.
			out += '\r';
		} else if (byte == 0) {
			append_hex(out, byte);
		} else if (byte < 0x20) {
			out += '^';
			out += (char)(byte + '@');
		} else if (byte == 0x7f) {
			out += "^?";
		} else if (byte == 0xc2 && i + 1 < length && (unsigned char)text[i + 1] >= 0x80
			&& (unsigned char)text[i + 1] <= 0x9f) {
			// U+0080..U+009F: the C1 controls, CSI among them, which some
			// terminals obey in UTF-8 too.
			append_hex(out, byte);
			append_hex(out, (unsigned char)text[++i]);
		} else
			out += (char)byte;
	}
	return out;
}

std::string
visible_text(const std::string& text)
{
	return visible_text(text.data(), text.size());
}
