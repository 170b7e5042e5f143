#!/usr/bin/python3
# Reads a stored mail the way a mail reader does (Python's email package) and
# prints what the tests check, one "key: value" a line. Text that may hold
# more than ASCII is printed as hex of its UTF-8.
import email
import email.policy
import email.utils
import sys

raw = open(sys.argv[1], "rb").read()
message = email.message_from_bytes(raw, policy=email.policy.default)


def out(key, value):
	print(f"{key}: {value}")


defects = list(message.defects)
# A malformed address is told apart: some tests hand one over on purpose.
address_defects = []
for name, value in message.items():
	found = getattr(value, "defects", [])
	if name.lower() in ("to", "from", "cc", "bcc", "reply-to"):
		address_defects.extend(found)
	else:
		defects.extend(found)
for name in ("Date", "From", "Message-ID", "To", "Subject", "MIME-Version", "Content-Type",
		"Content-Transfer-Encoding", "Bcc"):
	out("count " + name, len(message.get_all(name, [])))
out("to", message["To"])
out("from", message["From"])
out("subject-hex", str(message["Subject"]).encode("utf-8").hex())
out("mime-version", message["MIME-Version"])
out("content-type", message.get_content_type())
out("charset", message.get_content_charset())
out("transfer-encoding", message["Content-Transfer-Encoding"])
out("message-id", message["Message-ID"])
date = email.utils.parsedate_to_datetime(str(message["Date"]))
out("date-has-offset", date.tzinfo is not None)
# The server keeps the SMTP wire form, CR LF; a mail reader shows lines.
body = message.get_content().replace("\r\n", "\n")
defects.extend(message.defects)
out("body-hex", body.encode("utf-8").hex())
out("defects", len(defects) + len(address_defects))
for defect in defects:
	out("defect", repr(defect))
for defect in address_defects:
	out("address-defect", repr(defect))
