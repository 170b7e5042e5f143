#!/usr/bin/env python3
"""An FTP server on 127.0.0.1 that attacks its one client in the way the
mode names. It prints "PORT <n>" once it listens, then the requests it reads,
one a line, and ends when the client has gone.

Modes:
  good         serves /boot/home/Murmelo.dat (the bytes $HOSTILE_DATA holds in
               hexadecimal)
  abort426     100 bytes of the file, then 426
  stall        2 MB of the file, then silence on both connections
  flood        file data without end, until the client stops reading
  second1xx    150, 10 bytes, then 125 and a final 451
  endless      a greeting of continuation lines without end
  longline     a greeting line of 100 MB
  telnet       Telnet requests without end, never reading the answers
  trickle      the greeting one byte at a time, slowly
  stranger     the data connection is first made from 127.0.0.2
  escapes      replies holding terminal escape sequences, then 530
  refuse       takes the name and the password, then refuses them
"""
import os
import socket
import sys
import threading
import time

MODE = sys.argv[1]
# In hexadecimal: the environment cannot carry a NUL.
DATA = bytes.fromhex(os.environ.get("HOSTILE_DATA", b"remote data\n".hex()))


def log(text):
    sys.stdout.write(text + "\n")
    sys.stdout.flush()


class Session:
    def __init__(self, sock):
        self.sock = sock
        self.buffer = b""

    def send(self, text):
        self.sock.sendall(text if isinstance(text, bytes) else text.encode())

    def line(self):
        while b"\n" not in self.buffer:
            chunk = self.sock.recv(4096)
            if not chunk:
                return None
            self.buffer += chunk
        line, self.buffer = self.buffer.split(b"\n", 1)
        text = line.rstrip(b"\r").decode("latin-1")
        log(text)
        return text


def data_connection(port_request, source="127.0.0.1"):
    numbers = [int(n) for n in port_request.split(" ", 1)[1].split(",")]
    host = ".".join(str(n) for n in numbers[:4])
    data = socket.socket()
    data.bind((source, 0))
    data.connect((host, numbers[4] * 256 + numbers[5]))
    return data


def login(s):
    s.send("220 hostile ready\r\n")
    s.line()
    s.send("331 password please\r\n")
    s.line()
    s.send("230 in\r\n")


def until_retr(s):
    """Answers CWD, TYPE and PORT; returns the PORT request at RETR."""
    port = None
    while True:
        request = s.line()
        if request is None:
            sys.exit(0)
        if request.startswith("PORT"):
            port = request
            s.send("200 port ok\r\n")
        elif request.startswith("RETR"):
            return port
        else:
            s.send("250 ok\r\n" if request.startswith("CWD") else "200 ok\r\n")


def hold(s):
    """Keeps the control connection until the client goes."""
    while s.line() is not None:
        pass


def serve(s):
    if MODE == "endless":
        s.send("220-hello\r\n")
        try:
            while True:
                s.send("220-and more\r\n" * 64)
        except OSError:
            return
    if MODE == "longline":
        try:
            s.send("220 ")
            block = b"x" * 65536
            for _ in range(100 * 16):
                s.send(block)
            s.send("\r\n")
        except OSError:
            pass
        return
    if MODE == "telnet":
        s.sock.setsockopt(socket.SOL_SOCKET, socket.SO_RCVBUF, 4096)
        try:
            while True:
                s.send(bytes([255, 251, 1, 255, 253, 3]) * 4096)
        except OSError:
            return
    if MODE == "trickle":
        try:
            for byte in b"220 ready at last\r\n":
                s.send(bytes([byte]))
                time.sleep(0.3)
        except OSError:
            pass
        hold(s)
        return
    if MODE == "escapes":
        s.send("220 \x1b]0;owned\x07 \x1b[2J\x1b]52;c;cm0gLXJm\x07 hi\x00there\r\n")
        s.line()
        s.send("530 \x1b[31mno\x1b[0m\r\n")
        hold(s)
        return

    if MODE == "refuse":
        s.send("220 ready\r\n")
        s.line()
        s.send("331 password please\r\n")
        s.line()
        s.send("530 not you\r\n")
        hold(s)
        return

    login(s)
    port = until_retr(s)
    if MODE == "stranger":
        evil = data_connection(port, "127.0.0.2")
        evil.sendall(b"not from the server")
        s.send("150 here it comes\r\n")
        time.sleep(0.2)
        data = data_connection(port)
        data.sendall(DATA)
        data.close()
        evil.close()
        s.send("226 done\r\n")
        hold(s)
        return
    s.send("150 here it comes\r\n")
    data = data_connection(port)
    if MODE == "good":
        data.sendall(DATA)
        data.close()
        s.send("226 done\r\n")
    elif MODE == "abort426":
        data.sendall(DATA[:100])
        data.close()
        s.send("426 connection closed; transfer aborted\r\n")
    elif MODE == "stall":
        data.sendall((DATA * (2 * 1024 * 1024 // len(DATA) + 1))[: 2 * 1024 * 1024])
    elif MODE == "flood":
        block = b"y" * 65536
        try:
            while True:
                data.sendall(block)
        except OSError:
            pass
        data.close()
        s.send("426 transfer aborted\r\n")
    elif MODE == "second1xx":
        data.sendall(b"0123456789")
        data.close()
        s.send("125 still going\r\n")
        s.send("451 local error in processing\r\n")
    hold(s)


def main():
    listener = socket.socket()
    listener.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    listener.bind(("127.0.0.1", 0))
    listener.listen(1)
    log("PORT %d" % listener.getsockname()[1])
    sock, _ = listener.accept()
    listener.close()
    try:
        serve(Session(sock))
    except (OSError, SystemExit):
        pass
    sock.close()


if __name__ == "__main__":
    main()
