// murmelo-records: prints the records of a data file, one block each, for
// a person to read (the README's first command ends with it).

#include <MessageNames.h>
#include <Tliste.h>

#include <HostPath.h>
#include <VisibleText.h>

#include <stdio.h>
#include <string.h>

int
main(int argc, char** argv)
{
	const char* path = argc > 1 ? argv[1] : "/boot/home/murmelo.dat";
	BString hostPath = host_path(path);
	FILE* file = fopen(hostPath.String(), "rb");
	if (file == NULL) {
		fprintf(stderr, "murmelo-records: can't read %s\n", hostPath.String());
		return 1;
	}
	Tliste record;
	int index = 0;
	while (fread(&record, sizeof(record), 1, file) == 1) {
		index++;
		BString from, to;
		read_message_names(&record, &from, &to, NULL);
		// Names and text come from whoever sent the message: their escape
		// sequences are shown, never run by the terminal.
		printf("record %d: from \"%s\" to \"%s\"%s\n", index,
			visible_text(from.String(), from.Length()).c_str(),
			visible_text(to.String(), to.Length()).c_str(), record.is_new == 1 ? ", new" : "");
		std::string text
			= visible_text(record.message, strnlen(record.message, sizeof(record.message)));
		fwrite(text.data(), 1, text.size(), stdout);
		printf("\n\n");
	}
	fclose(file);
	printf("%d record%s in %s\n", index, index == 1 ? "" : "s", hostPath.String());
	return 0;
}
