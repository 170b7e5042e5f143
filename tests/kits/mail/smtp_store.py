#!/usr/bin/python3
# A real SMTP server (aiosmtpd) on 127.0.0.1 that stores every message it
# receives in FOLDER as N.eml, with the envelope recipients in N.rcpt.
# It listens on a free port chosen by the kernel and prints "port N" once it
# accepts connections; SIGTERM ends it.
import asyncio
import os
import socket
import sys

from aiosmtpd.smtp import SMTP


class Store:
	def __init__(self, folder):
		self.folder = folder
		self.count = 0

	async def handle_DATA(self, server, session, envelope):
		self.count += 1
		base = os.path.join(self.folder, str(self.count))
		with open(base + ".rcpt", "w") as out:
			out.write("\n".join(envelope.rcpt_tos) + "\n")
		# The .eml appears whole or not at all: the reply 250 follows it.
		with open(base + ".tmp", "wb") as out:
			out.write(envelope.original_content)
		os.rename(base + ".tmp", base + ".eml")
		return "250 Message accepted for delivery"


def main():
	folder = sys.argv[1]
	listener = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
	listener.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
	listener.bind(("127.0.0.1", 0))
	loop = asyncio.new_event_loop()
	asyncio.set_event_loop(loop)
	handler = Store(folder)
	server = loop.run_until_complete(loop.create_server(
		lambda: SMTP(handler, hostname="localhost", decode_data=False), sock=listener))
	print("port", listener.getsockname()[1], flush=True)
	try:
		loop.run_forever()
	finally:
		server.close()


if __name__ == "__main__":
	main()
