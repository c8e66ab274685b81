// The independent peer of the interop tests: the Snap7 server of node-snap7
// on one loopback address, driven by the test through stdin/stdout lines.
//   node snap7_server.js ADDRESS [PDU-SIZE]
// prints "ready" once listening, then answers one line per command:
//   get AREA INDEX         -> ok HEX       (the area's Node buffer)
//   set AREA INDEX HEX     -> ok           (overwrite the buffer's start)
//   cpu                    -> ok STATUS    (0 unknown, 4 stop, 8 run)
//   setcpu STATUS          -> ok
//   clients                -> ok COUNT
//   events                 -> ok CODE/RET/P1/P2/P3/P4 ... (hex code; the server's event log
//                             since the last "events", oldest first, blank-separated)
//   quit
// AREA is the server's area code: 0 inputs, 1 outputs, 2 flags, 3 counters,
// 4 timers, 5 data blocks (INDEX = DB number).
'use strict';
const snap7 = require('node-snap7');
const readline = require('readline');

const address = process.argv[2];
const server = new snap7.S7Server();
if (process.argv[3]) server.SetParam(server.PDURequest, Number(process.argv[3]));
const areas = new Map();
const events = [];
server.on('event', (e) => {
  events.push([e.EvtCode.toString(16), e.EvtRetCode, e.EvtParam1, e.EvtParam2, e.EvtParam3, e.EvtParam4].join('/'));
});

// The server takes the index argument only for data blocks.
function withIndex(area, index, ...rest) {
  return area === server.srvAreaDB ? [area, index, ...rest] : [area, ...rest];
}

function register(area, index, size) {
  const buffer = Buffer.alloc(size);
  areas.set(`${area}:${index}`, buffer);
  if (!server.RegisterArea(...withIndex(area, index, buffer))) throw new Error(`RegisterArea ${area} ${index}`);
}

register(server.srvAreaPE, 0, 256);
register(server.srvAreaPA, 0, 256);
register(server.srvAreaMK, 0, 256);
register(server.srvAreaCT, 0, 512);
register(server.srvAreaTM, 0, 512);
register(server.srvAreaDB, 1, 512);
register(server.srvAreaDB, 2, 64);
register(server.srvAreaDB, 10, 1024);
// Room for tables larger than one request.
register(server.srvAreaDB, 20, 4096);
register(server.srvAreaDB, 21, 4096);

if (server.StartTo(address) === false) {
  process.stdout.write(`error ${server.LastError()}\n`);
  process.exit(1);
}
process.stdout.write('ready\n');

const lines = readline.createInterface({ input: process.stdin });
lines.on('line', (line) => {
  const [command, ...args] = line.trim().split(/\s+/);
  try {
    if (command === 'get') {
      const buffer = server.GetArea(...withIndex(Number(args[0]), Number(args[1])));
      process.stdout.write(`ok ${Buffer.from(buffer).toString('hex')}\n`);
    } else if (command === 'set') {
      const key = `${Number(args[0])}:${Number(args[1])}`;
      const buffer = areas.get(key);
      const bytes = Buffer.from(args[2] || '', 'hex');
      bytes.copy(buffer, 0);
      server.SetArea(...withIndex(Number(args[0]), Number(args[1]), buffer));
      process.stdout.write('ok\n');
    } else if (command === 'cpu') {
      process.stdout.write(`ok ${server.GetCpuStatus()}\n`);
    } else if (command === 'setcpu') {
      server.SetCpuStatus(Number(args[0]));
      process.stdout.write('ok\n');
    } else if (command === 'clients') {
      process.stdout.write(`ok ${server.ClientsCount()}\n`);
    } else if (command === 'events') {
      process.stdout.write(`ok ${events.splice(0).join(' ')}\n`);
    } else if (command === 'quit') {
      server.Stop();
      process.exit(0);
    } else {
      process.stdout.write(`error unknown command ${command}\n`);
    }
  } catch (e) {
    process.stdout.write(`error ${e.message}\n`);
  }
});
lines.on('close', () => {
  server.Stop();
  process.exit(0);
});
