#!/usr/bin/env python3
"""A TCP proxy that delays what it passes on, each way, like a slower network.

    bench/delay-proxy.py LISTEN_PORT TARGET_HOST TARGET_PORT DELAY_MS

Listens on 127.0.0.1:LISTEN_PORT (0: a free port, printed alone on the first
line of standard output) and connects each client to TARGET_HOST:TARGET_PORT.
Every chunk read from one side is written to the other DELAY_MS after it
arrived, in order; chunks travel as on a link, so one chunk's delay does not
add to the next one's. An end of stream (half-close) travels the same way.
Prints nothing else unless something fails.
"""
import asyncio
import socket
import sys

CHUNK = 65536


async def forward(reader, writer, delay):
    """Copies reader to writer, each chunk `delay` seconds after it arrived."""
    loop = asyncio.get_running_loop()
    # Bounded: a receiver that does not keep up slows the sender down.
    in_flight = asyncio.Queue(maxsize=256)

    async def deliver():
        while True:
            due, chunk = await in_flight.get()
            wait = due - loop.time()
            if wait > 0:
                await asyncio.sleep(wait)
            if not chunk:
                if writer.can_write_eof():
                    writer.write_eof()
                return
            writer.write(chunk)
            await writer.drain()

    delivery = asyncio.create_task(deliver())
    try:
        while True:
            reading = asyncio.ensure_future(reader.read(CHUNK))
            done, _ = await asyncio.wait({reading, delivery}, return_when=asyncio.FIRST_COMPLETED)
            if reading not in done:  # the other side went away
                reading.cancel()
                break
            chunk = reading.result()
            await in_flight.put((loop.time() + delay, chunk))
            if not chunk:
                break
        await delivery
    finally:
        delivery.cancel()


async def serve(client_reader, client_writer, target, delay):
    try:
        server_reader, server_writer = await asyncio.open_connection(*target)
    except OSError as error:
        print(f"delay-proxy: cannot connect to {target[0]}:{target[1]}: {error}", file=sys.stderr, flush=True)
        client_writer.close()
        return
    directions = [asyncio.ensure_future(forward(client_reader, server_writer, delay)),
                  asyncio.ensure_future(forward(server_reader, client_writer, delay))]
    try:
        await asyncio.gather(*directions)
    except OSError:
        # A reset or broken connection on either side ends both directions.
        for writer in (client_writer, server_writer):
            writer.transport.abort()
    finally:
        for direction in directions:
            direction.cancel()
        for writer in (client_writer, server_writer):
            writer.close()


async def main(listen_port, target_host, target_port, delay_ms):
    target = (target_host, target_port)
    server = await asyncio.start_server(
        lambda r, w: serve(r, w, target, delay_ms / 1000), "127.0.0.1", listen_port,
        family=socket.AF_INET, backlog=256)
    if listen_port == 0:
        print(server.sockets[0].getsockname()[1], flush=True)
    async with server:
        await server.serve_forever()


if __name__ == "__main__":
    if len(sys.argv) != 5:
        sys.exit("usage: delay-proxy.py LISTEN_PORT TARGET_HOST TARGET_PORT DELAY_MS")
    try:
        listen, host, port, delay = int(sys.argv[1]), sys.argv[2], int(sys.argv[3]), float(sys.argv[4])
    except ValueError:
        sys.exit("delay-proxy: LISTEN_PORT and TARGET_PORT are numbers, DELAY_MS a number of milliseconds")
    try:
        asyncio.run(main(listen, host, port, delay))
    except KeyboardInterrupt:
        pass
    except OSError as error:
        sys.exit(f"delay-proxy: {error}")
