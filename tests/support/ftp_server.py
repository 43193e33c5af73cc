"""An FTP server for the transfer tests (run with /usr/bin/python3: it needs pyftpdlib).

It serves one folder to the accounts given, on 127.0.0.1 (or another local address) and a
free port, and prints that port once it listens. Every command received is appended to
commands.log in the log folder as "COMMAND argument" (a password never is); the reply
codes it sent are appended to replies.log.
"""

import argparse
import logging
import os

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import FTPHandler
from pyftpdlib.servers import FTPServer


def parse_args():
    p = argparse.ArgumentParser()
    p.add_argument("--root", required=True)
    p.add_argument("--logdir", required=True)
    p.add_argument("--host", default="127.0.0.1")
    p.add_argument("--port", type=int, default=0)
    p.add_argument("--user", action="append", default=[],
                   help="login:password:permissions")
    p.add_argument("--no-mlsd", action="store_true",
                   help="answer MLSD as an unknown command, as older servers do")
    return p.parse_args()


def main():
    args = parse_args()
    logging.basicConfig(level=logging.CRITICAL)
    authorizer = DummyAuthorizer()
    for account in args.user:
        login, password, perm = account.split(":", 2)
        authorizer.add_user(login, password, args.root, perm=perm)
    commands = os.path.join(args.logdir, "commands.log")

    class Handler(FTPHandler):
        def pre_process_command(self, line, cmd, arg):
            with open(commands, "a", encoding="utf-8") as f:
                shown = "****" if cmd == "PASS" else arg
                f.write(cmd + (" " + shown if shown else "") + "\n")
            if args.no_mlsd and cmd in ("MLSD", "MLST"):
                self.respond("500 Command \"%s\" not understood." % cmd)
                return
            return super().pre_process_command(line, cmd, arg)

    Handler.authorizer = authorizer
    Handler.banner = "zentrik-test ready."
    Handler.permit_foreign_addresses = True
    Handler.auth_failed_timeout = 0.05  # refused logins answer at once
    server = FTPServer((args.host, args.port), Handler)
    print(server.socket.getsockname()[1], flush=True)
    server.serve_forever()


if __name__ == "__main__":
    main()
