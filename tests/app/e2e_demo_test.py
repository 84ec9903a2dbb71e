#!/usr/bin/env python3
"""The demo driver (zelvan-demo) against the dev server's demo world and demo game room, as `make run`
plays it: it must end with status 0 and leave screenshots of the screen's size that show something
(the chat's with both lines, the game's with its sprites where the script draws them); the server
must have received the log-in, the user's line and the game's packets in order, and the client's log
must hold no ERROR line. With the friend kept silent the run must stop at the step that waits for the
answer, naming it, with status 1."""
import argparse
import re
import shutil
import struct
import subprocess
import sys
import time
import zlib
from pathlib import Path

SCREEN = (320, 480)
SCREENSHOTS = ["01-messenger.png", "02-chat.png", "03-lobby.png", "04-game-loading.png", "05-game.png",
               "06-game-result.png", "07-lobby-score.png", "08-offer-wall.png",
               "09-adwick-banner.png", "10-selvo-ad.png",
               "11-marlin-interstitial.png", "12-kavlo-banner.png", "13-mediation-banner.png", "14-tallio-hook-ad.png",
               "15-brightpoint-offers.png", "16-brightpoint-apps.png", "17-brightpoint-store.png",
               "18-brightpoint-bought.png", "19-goods-store.png", "20-leaderboard.png",
               "21-mediation-custom-ad.png", "22-mediation-adwick.png", "23-mediation-selvo.png",
               "24-mediation-ostrom.png", "25-mediation-kavlo.png", "26-mediation-reelbox.png"]
# What the summary names of each network the mediation's banner rotated through.
MEDIATION_REQUESTS = [r"orvaneads: house ad request http://127\.0\.0\.1:\d+/orvane/Service1\.asmx/GetOrvaneAd\?.*&EventID=1&EventSequenceNumber=\d+&AdCampaignID=c-1&",
                      r'custom_ad: no request; the application fills custom ad "c-2"',
                      r"adwick: ad request http://127\.0\.0\.1:\d+/adwick/ad_source\.php for publisher zelvan-mediation, reply: ",
                      r"selvo: ad request http://127\.0\.0\.1:\d+/selvo/adserver/render\?.*pid=demo&sid=zelvan-mediation",
                      r"ostrom: ad request http://127\.0\.0\.1:\d+/ostrom/oapi/reqAd\.jsp\?adspace=zelvan-chat&",
                      r"kavlo: ad request http://127\.0\.0\.1:\d+/kavlo\?a=zelvan-mediation&",
                      r"reelbox: ad tag http://127\.0\.0\.1:\d+/reelbox/LSERVER/hserver/.*/pb=zelvan/"]
# What the server receives, in this order: the log-in, the user's line, the lobby's play alone, the
# game's resource request, the game's first command back to the room, its result and its end.
EXPECTED_LOG = [r"logged in as 5550100", r"received \( 6, -1, 2001, ", r"received \( 56, 0, 8 \)",
                r"received \( 76, ", r"received \( 15, ", r"received \( 47, 1, ", r"received \( 40, "]
STEP_SECONDS = 10
# The feature lists the demo user gets, one per request: at log-in the offer network's banner takes the page
# ad slot, the Kavlo step's request puts Kavlo first, the hook-ad step's the hook ads.
AD_FEATURES = ["--ad-features", "orvane,brightpoint", "--ad-features", "kavlo,orvane,brightpoint",
               "--ad-features", "tallio,kavlo,orvane,brightpoint"]
PHONE, PASSWORD = "5550100", "demo"

failures = []


def check(condition, what):
    print(("ok:     " if condition else "FAILED: ") + what)
    if not condition:
        failures.append(what)
    return condition


def read_png(path):
    """(width, height, rows of (r, g, b, a)) of an 8-bit, non-interlaced RGB or RGBA PNG."""
    data = Path(path).read_bytes()
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        raise ValueError(f"{path} is not a PNG")
    pos, idat, header = 8, b"", None
    while pos < len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        if kind == b"IHDR":
            header = struct.unpack(">IIBBBBB", body)
        elif kind == b"IDAT":
            idat += body
        pos += 12 + length
    width, height, depth, colour, _, _, interlace = header
    if depth != 8 or colour not in (2, 6) or interlace:
        raise ValueError(f"{path}: unsupported PNG form (depth {depth}, colour {colour}, interlace {interlace})")
    channels = 4 if colour == 6 else 3
    raw = zlib.decompress(idat)
    stride = width * channels
    rows, previous = [], bytearray(stride)
    for y in range(height):
        kind = raw[y * (stride + 1)]
        line = bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for i in range(stride):
            left = line[i - channels] if i >= channels else 0
            up = previous[i]
            up_left = previous[i - channels] if i >= channels else 0
            if kind == 1:
                line[i] = (line[i] + left) & 0xFF
            elif kind == 2:
                line[i] = (line[i] + up) & 0xFF
            elif kind == 3:
                line[i] = (line[i] + (left + up) // 2) & 0xFF
            elif kind == 4:
                p = left + up - up_left
                pa, pb, pc = abs(p - left), abs(p - up), abs(p - up_left)
                predictor = left if pa <= pb and pa <= pc else (up if pb <= pc else up_left)
                line[i] = (line[i] + predictor) & 0xFF
        rows.append([tuple(line[x * channels:x * channels + 3]) + ((line[x * channels + 3],) if channels == 4 else (255,))
                     for x in range(width)])
        previous = line
    return width, height, rows


def start_server(devserver, work, silent):
    args = [devserver, "--port", "0", "--web-port", "0", "--ads-port", "0", "--accounts", f"{PHONE}:{PASSWORD}:Demo Player",
            "--demo-messenger", "--demo-games", "--log", str(work / "devserver.log")] + AD_FEATURES
    if silent:
        args.append("--demo-silent-friend")
    server = subprocess.Popen(args, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
    ports = {}
    deadline = time.monotonic() + 30
    while len(ports) < 3 and time.monotonic() < deadline:
        line = server.stdout.readline()
        if not line:
            break
        match = re.match(r"(listening|web|ads) on 127\.0\.0\.1:(\d+)", line)
        if match:
            ports[match.group(1)] = match.group(2)
    if len(ports) < 3:
        server.kill()
        raise RuntimeError("the dev server did not start")
    return server, ports


def run_demo(demo, devserver, work, silent=False, step_seconds=STEP_SECONDS):
    """Runs the driver against a fresh dev server; (status, stdout, stderr)."""
    shutil.rmtree(work, ignore_errors=True)
    work.mkdir(parents=True)
    server, ports = start_server(devserver, work, silent)
    try:
        done = subprocess.run([demo, "--server", f"127.0.0.1:{ports['listening']}", "--web",
                               f"127.0.0.1:{ports['web']}", "--ads-base", f"http://127.0.0.1:{ports['ads']}", "--account", f"{PHONE}:{PASSWORD}", "--home",
                               str(work / "home"), "--screenshots", str(work / "screens"), "--step-seconds",
                               str(step_seconds)], capture_output=True, text=True, timeout=90)
    finally:
        server.terminate()
        server.wait(timeout=10)
    (work / "client.log").write_text(done.stderr)
    print(done.stdout)
    return done.returncode, done.stdout, done.stderr


def check_screenshot(path):
    if not check(path.exists(), f"{path.name} was written"):
        return None
    width, height, rows = read_png(path)
    check((width, height) == SCREEN, f"{path.name} has the screen's size: {width} x {height}")
    colours = {pixel for row in rows for pixel in row}
    check(len(colours) > 16, f"{path.name} is not one flat colour ({len(colours)} colours)")
    return rows


def bubble_colour(resources, name):
    """The colour a bubble picture's middle shows in the chat: drawn at 40% over the white chat."""
    width, height, rows = read_png(resources / f"{name}.png")
    r, g, b, _ = rows[height // 2][width // 2]
    return tuple(round(c * 0.4 + 255 * 0.6) for c in (r, g, b))


def near(pixel, colour):
    return all(abs(p - c) <= 3 for p, c in zip(pixel, colour))


def check_chat(rows, resources):
    """The user's line in its bubble beside the avatar on the left, the friend's lines in theirs
    beside the avatar on the right, the answer below the user's line."""
    own = bubble_colour(resources, "bubble-left-0")
    friends = [bubble_colour(resources, f"bubble-right-{i}") for i in range(6)]

    def band(y, colours, x_range):
        return sum(1 for x in x_range if any(near(rows[y][x], c) for c in colours))

    own_rows = [y for y in range(len(rows)) if band(y, [own], range(60, 120)) >= 40 and band(y, [own], range(272, 320)) == 0]
    friend_rows = [y for y in range(len(rows))
                   if band(y, friends, range(200, 262)) >= 40 and band(y, friends, range(0, 40)) == 0]
    check(len(own_rows) >= 20, f"the user's line shows in its bubble on the left ({len(own_rows)} rows)")
    check(len(friend_rows) >= 40, f"the friend's lines show in their bubbles on the right ({len(friend_rows)} rows)")
    if own_rows and friend_rows:
        check(friend_rows[0] < own_rows[0] and own_rows[-1] < friend_rows[-1],
              "the greeting above the user's line, the answer below it")


def check_game(rows):
    """The demo game's frame: its background, the green table and the red ball (palette 0) whose top
    left the script puts at (40, 60), 32 points across."""
    for (x, y), colour, what in [((10, 10), (0x18, 0x30, 0x50), "background"),
                                 ((100, 200), (0x2A, 0x60, 0x40), "table"),
                                 ((56, 76), (0xD0, 0x20, 0x20), "red ball")]:
        check(near(rows[y][x], colour), f"the game shows its {what} at ({x}, {y}): {rows[y][x][:3]}")


def check_lobby(rows):
    """The lobby page drawn: its links in the link colour of the page's default style (#0645ad)."""
    link = (0x06, 0x45, 0xAD)
    count = sum(1 for row in rows for pixel in row if near(pixel, link))
    check(count >= 20, f"the lobby shows its links in the link colour ({count} pixels)")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--demo", required=True)
    parser.add_argument("--devserver", required=True)
    parser.add_argument("--resources", required=True)
    parser.add_argument("--work", required=True)
    args = parser.parse_args()
    work = Path(args.work)

    status, out, err = run_demo(args.demo, args.devserver, work / "run")
    check(status == 0, f"the demo ends with status 0 (status {status})")
    check("all steps done" in out, "the summary says every step was done")
    check(re.search(r"signed in: yes as 5550100, user 1001", out) is not None, "the summary names who signed in")
    check(re.search(r"chat lines: [2-9]\d* received, 1 sent", out) is not None, "the summary counts the lines")
    check(re.search(r"packets out: \d+ \(.*\b6 x 1\b", out) is not None, "the summary counts the line sent by command")
    errors = [line for line in err.splitlines() if line.startswith("ERROR")]
    check(not errors, f"no ERROR line in the client's log: {errors[:3]}")

    check(re.search(r"adwick: ad request http://127\.0\.0\.1:\d+/adwick/ad_source\.php\?s=", out) is not None,
          "the summary names the Adwick ad request")
    check(re.search(r"kavlo: \d+ ad request\(s\), last http://127\.0\.0\.1:\d+/kavlo\?i=", out) is not None,
          "the summary names the Kavlo banner's ad requests")
    check(re.search(r"selvo: ad request http://127\.0\.0\.1:\d+/selvo/adserver/render\?", out) is not None,
          "the summary names the Selvo ad request")
    check(re.search(r"selvo: showing ad s\d+, picture http://127\.0\.0\.1:\d+/selvo/img/banner\.png", out) is not None,
          "the summary names the Selvo ad shown")
    check(re.search(r'mediation: AdShown campaign "[^"]*"', out) is not None,
          "the summary names the offer network banner's AdShown requests")
    for pattern in MEDIATION_REQUESTS:
        check(re.search(r"^mediation: " + pattern, out, re.MULTILINE) is not None,
              f"the summary names the request of the mediation's {pattern.split(':')[0]} banner")
    check(re.search(r"kavlo: [1-9]\d* batch\(es\) accepted", out) is not None,
          "the summary names the usage statistics batches the ad host accepted")
    check(re.search(r"marlin: client [\d.]+ from http://127\.0\.0\.1:\d+/marlin/AdBridgeServer/req_js\.htm", out)
          is not None, "the summary names the Marlin client install")
    check(re.search(r"marlin: prefetched http://127\.0\.0\.1:\d+/marlin/AdBridgeServer/ads/demo\.zip", out) is not None,
          "the summary names the Marlin ad prefetch")
    check('game: "You win!", score 100' in out, "the summary gives the game's result and score")
    check(re.search(r"goods store: GetAllVGStoreItems answered: 25 items, 35 more", out) is not None,
          "the summary names the goods store's requests")
    check(re.search(r"offer wall: GetOffers answered: 30 offers, 3 videos", out) is not None and
          re.search(r"offer wall: GetAppIcon: [1-9]\d* read", out) is not None,
          "the summary names the offer list and icon requests")
    check(re.search(r'leaderboard: GetHighScoresByFilter answered: 25 rows for filter1 "1", 1 day\(s\), 15 more', out)
          is not None, "the summary names the leaderboard's score request")
    check(re.search(r"brightpoint: configuration http://127\.0\.0\.1:\d+/brightpoint/iphone/config\?uid=1001&", out)
          is not None and
          re.search(r"brightpoint: page http://127\.0\.0\.1:\d+/brightpoint/offers\?tab=0&page=0", out) is not None and
          re.search(r"brightpoint: 10 offers listed, [1-9]\d* icons shown, first http://127\.0\.0\.1:\d+/brightpoint/img/", out)
          is not None, "the summary names the offer wall's configuration, offer page and icon requests")
    check(re.search(r"brightpoint: 3 apps listed, 3 icons shown", out) is not None and
          re.search(r"brightpoint: 2 packs: 500 Gems; 1,200 Gems;", out) is not None and
          re.search(r"brightpoint: bought: You have bought 500 Gems", out) is not None,
          "the summary names the apps tab's list, the store's packs and the checked purchase")
    screens = work / "run" / "screens"
    shown = {name: check_screenshot(screens / name) for name in SCREENSHOTS}
    if shown["02-chat.png"]:
        check_chat(shown["02-chat.png"], Path(args.resources))
    if shown["03-lobby.png"]:
        check_lobby(shown["03-lobby.png"])
    if shown["05-game.png"]:
        check_game(shown["05-game.png"])

    log = (work / "run" / "devserver.log").read_text().splitlines()
    at = -1
    for pattern in EXPECTED_LOG:
        found = next((i for i in range(at + 1, len(log)) if re.search(pattern, log[i])), None)
        if not check(found is not None, f"the server log holds /{pattern}/ after line {at}"):
            break
        at = found

    status, out, err = run_demo(args.demo, args.devserver, work / "silent", silent=True, step_seconds=3)
    check(status == 1, f"with the friend silent the demo ends with status 1 (status {status})")
    check("step \"the friend's answer\" timed out" in err, "the failure names the step that ran out of time")
    check("FAILED: step \"the friend's answer\"" in out, "the summary names the failed step")
    check(not (work / "silent" / "screens" / "02-chat.png").exists(), "no chat screenshot after the failure")

    if failures:
        print(f"{len(failures)} check(s) failed")
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
