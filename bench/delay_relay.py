#!/usr/bin/env python3
"""A TCP relay that holds every chunk for a set time in each direction: a server far away.

    delay_relay.py LISTEN_PORT TARGET_HOST TARGET_PORT ONE_WAY_MS

A round trip through it costs twice ONE_WAY_MS. Chunks keep their order; a chunk is never held
longer than its own delay, so bulk transfer is not slowed beyond the delay itself.
"""

import asyncio
import sys
import time


async def pipe(reader, writer, delay):
    queue = asyncio.Queue()

    async def release():
        while True:
            due, data = await queue.get()
            if data is None:
                break
            wait = due - time.monotonic()
            if wait > 0:
                await asyncio.sleep(wait)
            writer.write(data)
            await writer.drain()
        writer.close()

    releasing = asyncio.ensure_future(release())
    try:
        while True:
            data = await reader.read(65536)
            if not data:
                break
            queue.put_nowait((time.monotonic() + delay, data))
    except ConnectionError:
        pass
    queue.put_nowait((0, None))
    await releasing


async def main():
    listen, host, port, one_way_ms = sys.argv[1:5]
    delay = int(one_way_ms) / 1000.0

    async def accept(client_reader, client_writer):
        try:
            server_reader, server_writer = await asyncio.open_connection(host, int(port))
        except OSError:
            client_writer.close()
            return
        await asyncio.gather(pipe(client_reader, server_writer, delay),
                             pipe(server_reader, client_writer, delay),
                             return_exceptions=True)

    server = await asyncio.start_server(accept, "127.0.0.1", int(listen))
    print(f"relay 127.0.0.1:{listen} -> {host}:{port}, {one_way_ms} ms each way", flush=True)
    async with server:
        await server.serve_forever()


if __name__ == "__main__":
    asyncio.run(main())
