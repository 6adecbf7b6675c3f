#!/usr/bin/env python3
"""sync_editor.py PORT_FILE LOG_FILE [DOCUMENT] - a scripted sync editor for the end-to-end tests, written
from the protocol's description: it listens on 127.0.0.1 (an ephemeral port, written to PORT_FILE), takes
one client, answers its greeting and logs what it sends ("greeting ok", "track I NAME", "row R") to
LOG_FILE, one line each. With DOCUMENT (an XML document as `qz001-tool tracks --rocket` writes it, read
with a real XML parser as the editors read theirs: <track name> elements anywhere, each <key row value
interpolation/>), it answers each track the client asks for with every key the document holds for it,
as a sync editor does. Commands from stdin, one a line:
    key NAME ROW VALUE INTERPOLATION   SET_KEY on the track the client asked for by NAME
    delete NAME ROW                    DELETE_KEY
    row R                              SET_ROW
    pause 0|1                          PAUSE
    save                               SAVE_TRACKS
    raw HEX                            those bytes as they stand (hostile input)
It ends when stdin closes."""
import os
import socket
import struct
import sys
import threading
import xml.etree.ElementTree

port_file, log_path = sys.argv[1], sys.argv[2]
document = {}  # track name -> [(row, value, interpolation)]
if len(sys.argv) > 3:
    for track in xml.etree.ElementTree.parse(sys.argv[3]).getroot().iter("track"):
        document[track.get("name")] = [
            (int(k.get("row")), float(k.get("value")), int(k.get("interpolation"))) for k in track.iter("key")
        ]
send_lock = threading.Lock()
listener = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
listener.bind(("127.0.0.1", 0))
listener.listen(1)
with open(port_file + ".part", "w") as f:
    f.write(str(listener.getsockname()[1]))
os.rename(port_file + ".part", port_file)
log = open(log_path, "a", buffering=1)
names = {}


def read_exactly(connection, n):
    data = b""
    while len(data) < n:
        chunk = connection.recv(n - len(data))
        if not chunk:
            raise EOFError
        data += chunk
    return data


def listen(connection):
    try:
        greeting = read_exactly(connection, 19)
        if greeting != b"hello, synctracker!":
            log.write("bad greeting %r\n" % greeting)
            return
        connection.sendall(b"hello, demo!")
        log.write("greeting ok\n")
        while True:
            command = read_exactly(connection, 1)[0]
            if command == 2:
                length = struct.unpack(">I", read_exactly(connection, 4))[0]
                name = read_exactly(connection, length).decode("utf-8")
                names[name] = len(names)
                with send_lock:
                    for row, value, interpolation in document.get(name, []):
                        connection.sendall(struct.pack(">BIIfB", 0, names[name], row, value, interpolation))
                log.write("track %d %s\n" % (names[name], name))
            elif command == 3:
                log.write("row %d\n" % struct.unpack(">I", read_exactly(connection, 4))[0])
            else:
                log.write("unknown command %d\n" % command)
                return
    except (EOFError, OSError):
        log.write("closed\n")


connection, _ = listener.accept()
connection.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)
threading.Thread(target=listen, args=(connection,), daemon=True).start()
for line in sys.stdin:
    words = line.split()
    if not words:
        continue
    send_lock.acquire()
    if words[0] == "key":
        connection.sendall(struct.pack(">BIIfB", 0, names[words[1]], int(words[2]), float(words[3]), int(words[4])))
    elif words[0] == "delete":
        connection.sendall(struct.pack(">BII", 1, names[words[1]], int(words[2])))
    elif words[0] == "row":
        connection.sendall(struct.pack(">BI", 3, int(words[1])))
    elif words[0] == "pause":
        connection.sendall(struct.pack(">BB", 4, int(words[1])))
    elif words[0] == "save":
        connection.sendall(b"\x05")
    elif words[0] == "raw":
        connection.sendall(bytes.fromhex(words[1]))
    send_lock.release()
    log.write("sent %s\n" % line.strip())
connection.close()
