#!/usr/bin/env python3
"""A mail server that breaks off: IMAP or POP3 on a free loopback port.

Its first connection closes in the middle of the second mail; later ones
serve both mails whole. Prints its port once it listens.
"""
import base64
import socket
import sys

MAILS = [
    b"From: a@example.org\r\nSubject: first\r\n\r\nfirst body\r\n",
    b"From: b@example.org\r\nSubject: second\r\n\r\n" + b"second body line\r\n" * 200,
]


def lines(conn):
    buffer = b""
    while True:
        while b"\r\n" not in buffer:
            chunk = conn.recv(4096)
            if not chunk:
                return
            buffer += chunk
        line, buffer = buffer.split(b"\r\n", 1)
        yield line.decode("latin-1")


def imap(conn, cut):
    conn.sendall(b"* OK [CAPABILITY IMAP4rev1 AUTH=PLAIN SASL-IR] ready\r\n")
    for line in lines(conn):
        tag, _, rest = line.partition(" ")
        command = rest.split(" ")[0].upper()
        if command == "CAPABILITY":
            conn.sendall(b"* CAPABILITY IMAP4rev1 AUTH=PLAIN SASL-IR\r\n%s OK done\r\n" % tag.encode())
        elif command in ("AUTHENTICATE", "LOGIN"):
            conn.sendall(b"%s OK logged in\r\n" % tag.encode())
        elif command == "EXAMINE":
            conn.sendall(b"* 2 EXISTS\r\n* OK [UIDVALIDITY 7] ok\r\n%s OK [READ-ONLY] done\r\n" % tag.encode())
        elif command == "UID" and "SEARCH" in rest.upper():
            conn.sendall(b"* SEARCH 1 2\r\n%s OK done\r\n" % tag.encode())
        elif command == "UID" and "FETCH" in rest.upper():
            wanted = rest.split(" ")[2].split(",")
            for uid in wanted:
                mail = MAILS[int(uid) - 1]
                head = b"* %s FETCH (UID %s BODY[] {%d}\r\n" % (uid.encode(), uid.encode(), len(mail))
                if cut and uid == "2":
                    conn.sendall(head + mail[: len(mail) // 2])
                    return
                conn.sendall(head + mail + b")\r\n")
            conn.sendall(b"%s OK done\r\n" % tag.encode())
        elif command == "LOGOUT":
            conn.sendall(b"* BYE\r\n%s OK bye\r\n" % tag.encode())
            return
        else:
            conn.sendall(b"%s BAD what\r\n" % tag.encode())


def pop3(conn, cut):
    conn.sendall(b"+OK ready\r\n")
    for line in lines(conn):
        command = line.split(" ")[0].upper()
        if command == "CAPA":
            conn.sendall(b"+OK\r\nUSER\r\nUIDL\r\n.\r\n")
        elif command in ("USER", "PASS", "AUTH", "NOOP"):
            conn.sendall(b"+OK\r\n")
        elif command == "UIDL":
            conn.sendall(b"+OK\r\n1 uid-one\r\n2 uid-two\r\n.\r\n")
        elif command == "RETR":
            number = int(line.split(" ")[1])
            mail = MAILS[number - 1]
            if cut and number == 2:
                conn.sendall(b"+OK\r\n" + mail[: len(mail) // 2])
                return
            conn.sendall(b"+OK\r\n" + mail + b".\r\n")
        elif command == "QUIT":
            conn.sendall(b"+OK bye\r\n")
            return
        else:
            conn.sendall(b"-ERR what\r\n")


def main():
    serve = imap if sys.argv[1] == "imap" else pop3
    listener = socket.socket()
    listener.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    listener.bind(("127.0.0.1", 0))
    listener.listen(4)
    print(listener.getsockname()[1], flush=True)
    first = True
    while True:
        conn, _ = listener.accept()
        try:
            serve(conn, first)
        except (BrokenPipeError, ConnectionResetError):
            pass
        conn.close()
        first = False


main()
