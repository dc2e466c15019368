#!/usr/bin/python3
"""Stand-in I/O module for scripts/soak.sh: a Modbus TCP server with eight
coils and eight discrete inputs, behind a relay whose link the soak cuts and
restores.

    soak-peer.py MODULE_PORT RELAY_PORT STATE_FILE

The program connects to RELAY_PORT. SIGUSR1 cuts the link (odd cuts close
every relayed connection, even cuts keep them open but drop every byte, so
both ways the program notices a lost module are taken); SIGUSR2 restores it.
Once a second the counts are written to STATE_FILE as JSON: coil writes,
coils switched on, the coils now, live relayed connections, cuts.

Input 1 follows coil 3 after half a second, as the pressing cylinder's end
switch does on the stack magazine, so that station's example plans run to
their end.
"""
import asyncio
import json
import os
import signal
import sys
import time

from pymodbus.datastore import (ModbusSequentialDataBlock, ModbusServerContext,
                                ModbusSlaveContext)
from pymodbus.server import StartAsyncTcpServer

POINTS = 8
PRESS_COIL = 2  # output 3, pressing cylinder
PRESS_SWITCH = 0  # input 1, its end switch
PRESS_DELAY = 0.5

counts = {"coil_writes": 0, "coils_switched_on": 0, "coils": [0] * POINTS, "connections": 0,
          "accepted": 0, "cuts": 0, "cut": False}


class CountingContext(ModbusSlaveContext):
    def setValues(self, fc_as_hex, address, values):
        if self.decode(fc_as_hex) == "c" and address < POINTS:
            before = self.getValues(fc_as_hex, 0, POINTS)
            super().setValues(fc_as_hex, address, values)
            after = self.getValues(fc_as_hex, 0, POINTS)
            counts["coil_writes"] += 1
            counts["coils_switched_on"] += sum(
                1 for b, a in zip(before, after) if a and not b)
            counts["coils"] = [int(bool(a)) for a in after]
            return
        super().setValues(fc_as_hex, address, values)


class Relay:
    def __init__(self, module_port):
        self.module_port = module_port
        self.pipes = set()  # (client writer, module writer)
        self.cut_mode = None  # None, "close" or "drop"

    async def handle(self, reader, writer):
        if self.cut_mode == "close":
            writer.close()
            return
        try:
            m_reader, m_writer = await asyncio.open_connection("127.0.0.1", self.module_port)
        except OSError:
            writer.close()
            return
        pair = (writer, m_writer)
        self.pipes.add(pair)
        counts["accepted"] += 1
        await asyncio.gather(self.pump(reader, m_writer), self.pump(m_reader, writer),
                             return_exceptions=True)
        self.pipes.discard(pair)
        for w in pair:
            w.close()

    async def pump(self, reader, writer):
        while True:
            data = await reader.read(4096)
            if not data:
                break
            if self.cut_mode is None:
                writer.write(data)
                await writer.drain()
        writer.close()

    def close_all(self):
        for pair in list(self.pipes):
            for w in pair:
                w.close()
        self.pipes.clear()

    def cut(self):
        counts["cuts"] += 1
        counts["cut"] = True
        self.cut_mode = "close" if counts["cuts"] % 2 else "drop"
        if self.cut_mode == "close":
            self.close_all()

    def restore(self):
        # A dropped link is dead for the program too; a fresh connect starts clean.
        self.close_all()
        self.cut_mode = None
        counts["cut"] = False


async def follow_inputs(slave):
    pending = None
    last = 0
    while True:
        coil = slave.getValues(1, PRESS_COIL, 1)[0]
        now = time.monotonic()
        if bool(coil) != bool(last):
            pending = (now + PRESS_DELAY, bool(coil))
            last = coil
        if pending and now >= pending[0]:
            slave.setValues(2, PRESS_SWITCH, [pending[1]])
            pending = None
        await asyncio.sleep(0.05)


async def write_state(relay, path):
    while True:
        counts["connections"] = len(relay.pipes)
        tmp = path + ".tmp"
        with open(tmp, "w", encoding="utf-8") as f:
            json.dump(counts, f)
        os.replace(tmp, path)
        await asyncio.sleep(1)


async def main():
    module_port, relay_port, state = int(sys.argv[1]), int(sys.argv[2]), sys.argv[3]
    slave = CountingContext(di=ModbusSequentialDataBlock(0, [0] * POINTS),
                            co=ModbusSequentialDataBlock(0, [0] * POINTS),
                            hr=ModbusSequentialDataBlock(0, [0]),
                            ir=ModbusSequentialDataBlock(0, [0]), zero_mode=True)
    context = ModbusServerContext(slaves=slave, single=True)
    server = await StartAsyncTcpServer(context, address=("127.0.0.1", module_port),
                                       defer_start=True)
    relay = Relay(module_port)
    loop = asyncio.get_running_loop()
    loop.add_signal_handler(signal.SIGUSR1, relay.cut)
    loop.add_signal_handler(signal.SIGUSR2, relay.restore)
    await asyncio.start_server(relay.handle, "127.0.0.1", relay_port)
    await asyncio.gather(server.serve_forever(), follow_inputs(slave), write_state(relay, state))


if __name__ == "__main__":
    asyncio.run(main())
