"""A scriptable SMTP server for the mail tests (run with /usr/bin/python3: it needs aiosmtpd).

It listens on 127.0.0.1 on a free port and prints that port once it answers. Every received
message is written to the output folder as msg-N.eml (the bytes as received) and msg-N.json
(the message parsed back by Python's email package), and every notable event (greeting,
login, refused recipient) is appended to events.log. Everything the clients send is appended to
client.log, one JSON line per chunk, marked with whether it arrived inside TLS. With --hold the
server keeps one reply back (the greeting, the answer to EHLO or the answer to a message) until
the file "release" appears in the output folder or --hold-ms have passed; "trickle" keeps the
answer to a message back the same way while it sends a "250-" line every --trickle-ms, as a
server that stalls its client with continuation lines does; "body" stops reading the message
after its "354" until the release, as a server whose link is stuck does.
"""

import argparse
import asyncio
import base64
import datetime
import email
import email.policy
import ipaddress
import json
import os
import socket
import ssl

from aiosmtpd.smtp import SMTP, AuthResult, LoginPassword


def parse_args():
    p = argparse.ArgumentParser()
    p.add_argument("--outdir", required=True)
    p.add_argument("--login", default="")
    p.add_argument("--password", default="")
    p.add_argument("--refuse", action="append", default=[],
                   help="recipient answered with 550")
    p.add_argument("--logins", type=int, default=0,
                   help="successful logins allowed (0: any); later ones get 535")
    p.add_argument("--tls", choices=["none", "starttls", "implicit"], default="none")
    p.add_argument("--hold", choices=["none", "greeting", "ehlo", "data", "trickle", "body"],
                   default="none")
    p.add_argument("--hold-ms", type=int, default=20000)
    p.add_argument("--trickle-ms", type=int, default=200)
    return p.parse_args()


def make_certificate(outdir):
    """A self-signed certificate for 127.0.0.1; the test trusts it through cert.pem."""
    from cryptography import x509
    from cryptography.hazmat.primitives import hashes, serialization
    from cryptography.hazmat.primitives.asymmetric import ec
    from cryptography.x509.oid import NameOID

    key = ec.generate_private_key(ec.SECP256R1())
    name = x509.Name([x509.NameAttribute(NameOID.COMMON_NAME, "127.0.0.1")])
    now = datetime.datetime.now(datetime.timezone.utc)
    cert = (
        x509.CertificateBuilder()
        .subject_name(name)
        .issuer_name(name)
        .public_key(key.public_key())
        .serial_number(x509.random_serial_number())
        .not_valid_before(now - datetime.timedelta(days=1))
        .not_valid_after(now + datetime.timedelta(days=1))
        .add_extension(
            x509.SubjectAlternativeName(
                [x509.IPAddress(ipaddress.ip_address("127.0.0.1")), x509.DNSName("localhost")]),
            critical=False)
        .add_extension(x509.BasicConstraints(ca=True, path_length=None), critical=True)
        .sign(key, hashes.SHA256())
    )
    cert_path = os.path.join(outdir, "cert.pem")
    key_path = os.path.join(outdir, "key.pem")
    with open(cert_path, "wb") as f:
        f.write(cert.public_bytes(serialization.Encoding.PEM))
    with open(key_path, "wb") as f:
        f.write(key.private_bytes(serialization.Encoding.PEM,
                                  serialization.PrivateFormat.PKCS8,
                                  serialization.NoEncryption()))
    context = ssl.create_default_context(ssl.Purpose.CLIENT_AUTH)
    context.load_cert_chain(cert_path, key_path)
    return context


class Recorder:
    def __init__(self, outdir, refused, logins, hold, hold_ms, trickle_ms):
        self.outdir = outdir
        self.trickle_seconds = trickle_ms / 1000.0
        self.refused = {a.lower() for a in refused}
        self.logins_left = logins if logins > 0 else None
        self.count = 0
        self.hold_point = hold
        self.hold_seconds = hold_ms / 1000.0

    def event(self, *words):
        with open(os.path.join(self.outdir, "events.log"), "a", encoding="utf-8") as f:
            f.write(" ".join(str(w) for w in words) + "\n")

    def received(self, tls, data):
        with open(os.path.join(self.outdir, "client.log"), "a", encoding="utf-8") as f:
            f.write(json.dumps({"tls": tls, "data": base64.b64encode(data).decode()}) + "\n")

    async def hold(self, point, peer, server=None):
        """Keeps the reply at `point` back until the test releases it (or the limit passes);
        with a server to write to, sends it a continuation line every so often meanwhile."""
        if point != self.hold_point:
            return
        self.event("hold", point, peer)
        loop = asyncio.get_running_loop()
        deadline = loop.time() + self.hold_seconds
        release = os.path.join(self.outdir, "release")
        next_line = loop.time()
        while not os.path.exists(release) and loop.time() < deadline:
            if server is not None and loop.time() >= next_line:
                await server.push("250-Procesando el mensaje")
                next_line = loop.time() + self.trickle_seconds
            await asyncio.sleep(0.01)
        self.event("released", point, peer)

    def authenticate(self, server, session, envelope, mechanism, auth_data):
        ok = (isinstance(auth_data, LoginPassword)
              and auth_data.login.decode() == self.login
              and auth_data.password.decode() == self.password
              and self.logins_left != 0)
        if ok and self.logins_left is not None:
            self.logins_left -= 1
        self.event("auth", "ok" if ok else "refused", session.peer[1])
        return AuthResult(success=ok, handled=False, auth_data=auth_data if ok else None)

    async def handle_EHLO(self, server, session, envelope, hostname, responses):
        session.host_name = hostname
        self.event("ehlo", session.peer[1])
        await self.hold("ehlo", session.peer[1])
        return responses

    async def handle_RCPT(self, server, session, envelope, address, rcpt_options):
        if address.lower() in self.refused:
            self.event("rcpt", "refused", address)
            return "550 5.1.1 Mailbox unavailable"
        envelope.rcpt_tos.append(address)
        return "250 OK"

    async def handle_DATA(self, server, session, envelope):
        self.count += 1
        base = os.path.join(self.outdir, "msg-%d" % self.count)
        raw = envelope.original_content
        with open(base + ".eml", "wb") as f:
            f.write(raw)
        tls = session.ssl is not None or server.transport.get_extra_info("ssl_object") is not None
        record = describe(email.message_from_bytes(raw, policy=email.policy.default))
        record.update({
            "mail_from": envelope.mail_from,
            "rcpt_tos": envelope.rcpt_tos,
            "peer": session.peer[1],
            "tls": tls,
            "login": session.auth_data.login.decode() if session.authenticated else "",
        })
        with open(base + ".tmp", "w", encoding="utf-8") as f:
            json.dump(record, f, ensure_ascii=False, indent=1)
        os.replace(base + ".tmp", base + ".json")
        self.event("message", self.count, session.peer[1])
        # The message is kept from its last byte on, whether or not its client waits for
        # the answer.
        await self.hold("data", session.peer[1])
        await self.hold("trickle", session.peer[1], server)
        return "250 Message accepted"


class RecordingSMTP(SMTP):
    """The SMTP session, recording what its client sends and holding the greeting on demand."""

    def __init__(self, recorder, **kwargs):
        super().__init__(recorder, **kwargs)
        self.recorder = recorder

    def connection_made(self, transport):
        super().connection_made(transport)
        if self.recorder.hold_point == "body":
            # A small window, so that a client whose message is not read stops soon.
            sock = transport.get_extra_info("socket")
            if sock is not None:
                sock.setsockopt(socket.SOL_SOCKET, socket.SO_RCVBUF, 4096)

    async def _handle_client(self):
        await self.recorder.hold("greeting", self.session.peer[1])
        await super()._handle_client()

    async def smtp_DATA(self, arg):
        if self.recorder.hold_point == "body" and self.transport is not None:
            self.transport.pause_reading()
            asyncio.ensure_future(self.read_when_released())
        await super().smtp_DATA(arg)

    async def read_when_released(self):
        await self.recorder.hold("body", self.session.peer[1])
        if self.transport is not None and not self.transport.is_closing():
            self.transport.resume_reading()

    def data_received(self, data):
        ssl_object = self.transport.get_extra_info("ssl_object") if self.transport else None
        self.recorder.received(self._tls_protocol is not None or ssl_object is not None, data)
        super().data_received(data)


def structure(part):
    if part.is_multipart():
        return "%s[%s]" % (part.get_content_type(),
                           ",".join(structure(p) for p in part.iter_parts()))
    return part.get_content_type()


def describe(msg):
    parts, defects = [], list(msg.defects)
    for part in msg.walk():
        defects += part.defects
        if part.is_multipart():
            continue
        parts.append({
            "content_type": part.get_content_type(),
            "charset": part.get_content_charset() or "",
            "transfer_encoding": part.get("Content-Transfer-Encoding", ""),
            "disposition": part.get_content_disposition() or "",
            "filename": part.get_filename() or "",
            "content": base64.b64encode(part.get_payload(decode=True) or b"").decode(),
        })
    return {
        "headers": [[k, str(v)] for k, v in msg.items()],
        "raw_headers": [[k, v] for k, v in msg.raw_items()],
        "structure": structure(msg),
        "parts": parts,
        "defects": [type(d).__name__ for d in defects],
    }


def main():
    args = parse_args()
    recorder = Recorder(args.outdir, args.refuse, args.logins, args.hold, args.hold_ms,
                        args.trickle_ms)
    recorder.login, recorder.password = args.login, args.password
    context = make_certificate(args.outdir) if args.tls != "none" else None
    loop = asyncio.new_event_loop()
    asyncio.set_event_loop(loop)

    def factory():
        return RecordingSMTP(recorder, hostname="zentrik-test", loop=loop,
                             authenticator=recorder.authenticate, auth_require_tls=False,
                             tls_context=context if args.tls == "starttls" else None)

    server = loop.run_until_complete(loop.create_server(
        factory, "127.0.0.1", 0, ssl=context if args.tls == "implicit" else None))
    print(server.sockets[0].getsockname()[1], flush=True)
    loop.run_forever()


if __name__ == "__main__":
    main()
