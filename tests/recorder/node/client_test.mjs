// Drives the console's disk-recorder server with the unmodified client library that
// Companion uses: its own connection sequence, Companion's sequence on top of it, then the
// transport commands, checked against the time code the simulated deck reports back.
//
// Usage: node client_test.mjs PORT
// The deck runs at 29.97 drop-frame and the console lists three clips:
// 1 "Opening" 00:00:20;00-00:00:22;00, 2 "Second" 00:00:40;00-00:00:42;00, 3 "Last".
// Exit code 0 when every step passed; each step prints one line.
import net from 'node:net';
import { Hyperdeck, Commands } from 'hyperdeck-connection';

const port = Number(process.argv[2]);
const deadline = setTimeout(() => fail('the whole run took longer than 150 s'), 150000);
let passed = 0;

function fail(why) {
  console.error(`not ok - ${why}`);
  process.exit(1);
}
function ok(what) {
  passed += 1;
  console.log(`ok ${passed} - ${what}`);
}
function check(condition, what, detail) {
  if (!condition) fail(`${what}: ${JSON.stringify(detail)}`);
  ok(what);
}
// "1.11" is past "1.8": versions compare as major and minor numbers, not as decimals.
function atLeast18(version) {
  const [major, minor] = String(version).split('.').map(Number);
  return major > 1 || (major === 1 && minor >= 8);
}
const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));

const deck = new Hyperdeck({ pingPeriod: 5000, debug: false, externalLog: () => {} });
deck.on('error', () => {});
const transports = [];
deck.on('notify.transport', (t) => transports.push(t));

async function info() {
  return deck.sendCommand(new Commands.TransportInfoCommand());
}
// Polls transport info until it satisfies the condition (20 s at most).
async function waitInfo(what, condition) {
  let last;
  for (let i = 0; i < 100; i += 1) {
    last = await info();
    if (condition(last)) {
      ok(what);
      return last;
    }
    await sleep(200);
  }
  return fail(`${what}: last transport info ${JSON.stringify(last)}`);
}
async function refused(command, code, what) {
  try {
    await deck.sendCommand(command);
  } catch (reply) {
    check(reply.code === code, what, reply);
    return;
  }
  fail(`${what}: accepted`);
}
// A raw controller: resolves with the first line the server sends.
function rawFirstLine() {
  return new Promise((resolve, reject) => {
    const socket = net.connect(port, '127.0.0.1');
    let text = '';
    socket.setEncoding('utf8');
    socket.on('data', (d) => {
      text += d;
      const end = text.indexOf('\r\n');
      if (end >= 0) resolve({ socket, line: text.slice(0, end) });
    });
    socket.on('error', reject);
  });
}

// The library's own sequence: banner, watchdog, then pings while idle.
const connected = new Promise((resolve) => deck.once('connected', resolve));
deck.connect('127.0.0.1', port);
const banner = await connected;
check(atLeast18(banner.protocolVersion), 'banner carries protocol version 1.8 or later', banner);

// Companion's sequence on top of it.
await deck.sendCommand(
  Object.assign(new Commands.NotifySetCommand(), {
    configuration: true,
    transport: true,
    slot: true,
    remote: true,
  }),
);
ok('notify set');
const device = await deck.sendCommand(new Commands.DeviceInfoCommand());
check(device.slots === 1, 'device info', device);
const slot = await deck.sendCommand(new Commands.SlotInfoCommand(1));
check(slot.status === 'mounted' && slot.videoFormat === '1080i5994', 'slot info', slot);
const first = await info();
check(first.videoFormat === '1080i5994' && /^\d\d:\d\d:\d\d;\d\d$/.test(first.timecode),
  'transport info in drop-frame notation', first);
const config = await deck.sendCommand(new Commands.ConfigurationGetCommand());
check(typeof config.videoInput === 'string', 'configuration', config);
const remote = await deck.sendCommand(new Commands.RemoteGetCommand());
check(remote.enabled === true, 'remote enabled', remote);
const clips = await deck.sendCommand(new Commands.ClipsGetCommand());
check(clips.clipCount === 3 && clips.clips[1].name.trim() === 'Second' &&
  clips.clips[1].startTime === '00:00:40;00', 'clips get lists the logged clips', clips);
const count = await deck.sendCommand(new Commands.ClipsCountCommand());
check(count.count === 3, 'clips count', count);
const disk = await deck.sendCommand(new Commands.DiskListCommand());
check(disk.slotId === 1 && disk.clips.length === 3, 'disk list', disk);

// Transport, seen in the time code the deck reports.
await deck.sendCommand(new Commands.PlayCommand());
const playing = await waitInfo('play moves the deck', (t) => t.status === 'play' && t.speed === 100);
await sleep(1000);
const later = await info();
check(later.timecode !== playing.timecode, 'the time code runs while playing', [playing, later]);
check(transports.some((t) => t.status === 'play'), 'an asynchronous transport message came', transports);
await deck.sendCommand(new Commands.StopCommand());
await waitInfo('stop stops it', (t) => t.status === 'stopped');

await deck.sendCommand(new Commands.GoToCommand(undefined, undefined, '00:00:10;00'));
await waitInfo('goto a time code with ;', (t) => t.timecode === '00:00:10;00');
await deck.sendCommand(new Commands.GoToCommand(undefined, undefined, '00:00:05:00'));
await waitInfo('goto a time code with :', (t) => t.timecode === '00:00:05;00');
await deck.sendCommand(new Commands.JogCommand('+00:00:01;00'));
await waitInfo('jog by a relative time code', (t) => t.timecode === '00:00:06;00');
await deck.sendCommand(new Commands.GoToCommand(undefined, 2));
await waitInfo('goto clip id 2', (t) => t.timecode === '00:00:40;00' && t.clipId === 2);
await refused(new Commands.GoToCommand(undefined, 9), 109, 'goto a clip that is not there');
await refused(new Commands.GoToCommand(undefined, undefined, '00:00:99:00'), 102,
  'goto a time code that is no time');

await deck.sendCommand(new Commands.ShuttleCommand(400));
const shuttling = await waitInfo('shuttle forward', (t) => t.status !== 'stopped');
await sleep(500);
const further = await info();
check(further.timecode > shuttling.timecode, 'the time code runs forward while shuttling',
  [shuttling, further]);
await deck.sendCommand(new Commands.ShuttleCommand(-400));
await sleep(500);
await deck.sendCommand(new Commands.StopCommand());
await waitInfo('stopped again', (t) => t.status === 'stopped');

await refused(new Commands.RecordCommand(), 103, 'record is refused');

// Three more controllers fill the four places; a fifth is turned away.
const others = [];
for (let i = 0; i < 3; i += 1) {
  const c = await rawFirstLine();
  check(c.line === '500 connection info:', `controller ${i + 2} is greeted`, c.line);
  others.push(c.socket);
}
const fifth = await rawFirstLine();
check(fifth.line === '120 connection rejected', 'a fifth controller is rejected', fifth.line);
for (const s of [...others, fifth.socket]) s.destroy();

// The library still has its place and its answers.
const still = await info();
check(still.status === 'stopped', 'the library is still served after the rejection', still);
clearTimeout(deadline);
await deck.disconnect();
console.log(`${passed} passed, 0 failed`);
process.exit(0);
