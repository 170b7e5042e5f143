#ifndef _POP_CLASS_H
#define _POP_CLASS_H

#include <SupportDefs.h>

#include <Tliste.h>

class TestView;

// The data file: records back to back, record i at (i - 1) * 1032.
#define MURMELO_DATA_FILE "/boot/home/murmelo.dat"

// What the main program's pulse thread last learnt of the data file.
extern int total_number_of_messages;
extern int new_messages;
extern int first_new_message;

// The message store: a doubly linked list of records with a cursor. It owns
// its nodes. There is no head: the first node is found through precedent.
class PopClass {
public:
	PopClass();
	~PopClass();

	void init();

	Tliste* getPop();
	int getNbPop();
	int getPopCourant();
	bool vide();

	void debut();
	void fin();
	void precedent();
	void suivant();

	void ajoute(Tliste* node);
	void efface();
	void effacetout();

	// The data file (main program). The scan starts where the unseen
	// records start: behind every record the last scan found not new or
	// that the caller handled (skip_messages_up_to), so an idle poll costs
	// the same at any size. It starts over when the file is replaced or
	// shrinks. Only regular files are read: anything else counts as empty
	// (said once on standard error), and nothing ever blocks in open().
	int count_total_number_of_messages();
	int are_there_new_messages_in_data_file();
	void skip_messages_up_to(int i);
	void read_message(int i, Tliste* rec);
	// Reads records first .. first + count - 1 into records; the number read.
	int read_messages(int first, int count, Tliste* records);
	void write_message(int i, Tliste* rec);
	// Writes the one flag byte of record i; B_OK, or why it couldn't.
	status_t this_message_is_no_longer_new(int i);

	// Show record i of the data file, or a record in memory, in a message
	// list: its two rows, into the store, and the arrival sound. In the
	// store_list library, for the programs with windows.
	void ajoute3(int i, TestView* view);
	void ajoute2(Tliste* rec, TestView* view);

	// The daemon's command line and message intake; both may end the process.
	void principe(int argc, char** argv);
	void trap_message(int argc, char** argv);

private:
	Tliste* pop;
	int nbPop;
	int popCourant;
	// Where the next scan starts, and the file it was counted in (an inode
	// number alone may come back for a new file).
	int fScanFrom = 1;
	dev_t fScanDevice = 0;
	ino_t fScanNode = 0;
	int64 fScanBirth = 0;
};

#endif
