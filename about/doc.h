#ifndef _DOC_H
#define _DOC_H

// The document reader: turns a document number into the text of one of the
// plain-text documents installed in "/boot/apps/trovel/doc".
class doc {
public:
	doc();
	~doc();

	// Main program: a heap copy of document index ("About", "README",
	// "ChangeLog"), owned by the caller; when it can't be read, a heap copy
	// of the line "Can't read file <path> "; NULL when memory runs out.
	char* show_text_file(int index);

	// Daemon: prints document index ("license", "README", "ChangeLog",
	// "Usage") and a newline to standard output and ends the process with
	// status 1; prints "Can't read file <path> " instead when it can't be
	// read. Returns only when memory runs out.
	void doc_show_text_file(int index);
};

#endif
