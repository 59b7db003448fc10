'use strict'
// The module's protocol layer on its own, for the end-to-end test against the
// real board:  node driver.js HOST PORT COMMANDS
// Reads commands, a line each, from the file COMMANDS (a FIFO):
//   action ID {options}   sends what that action sends
//   unsubscribe           ends the subscription; the socket stays open
//   quit                  unsubscribes and ends (so does the end of COMMANDS)
// and writes what a Companion user would see, a line each:
//   status STATE: MESSAGE
//   var ID=VALUE          a variable that changed, its value as JSON
//   datagram ADDRESSES... after unsubscribe, each datagram that still comes
// It ends by itself after five minutes.
const fs = require('node:fs')
const net = require('node:net')
const readline = require('node:readline')
const { BoardClient } = require('../src/client')
const { decode } = require('../src/osc')
const d = require('../src/definitions')

const [host, port, commands] = process.argv.slice(2)
const client = new BoardClient({ host, port: Number(port) })
const say = (line) => process.stdout.write(line + '\n')
let unsubscribed = false

client.on('status', (state, message) => say(`status ${state}: ${message}`))
client.on('changes', ({ variables }) => {
  for (const [id, value] of Object.entries(variables)) say(`var ${id}=${JSON.stringify(value)}`)
})
client.on('datagram', (bytes) => {
  const addresses = decode(bytes).map((m) => m.address)
  if (unsubscribed) say(`datagram ${addresses.join(' ')}`)
})

async function quit() {
  await client.close()
  process.exit(0)
}

// Read as a pipe: a file stream's blocking read would keep the process from exiting.
const fifo = fs.openSync(commands, fs.constants.O_RDONLY | fs.constants.O_NONBLOCK)
const lines = readline.createInterface({ input: new net.Socket({ fd: fifo, readable: true, writable: false }) })
lines.on('line', (line) => {
  const [command, id, ...rest] = line.trim().split(' ')
  if (command === 'action') {
    const message = d.actions[id] && d.actions[id].message(JSON.parse(rest.join(' ') || '{}'))
    say(message && client.send(message) ? `sent ${message.address}` : `refused ${line}`)
  } else if (command === 'unsubscribe') {
    client.unsubscribe()
    unsubscribed = true
    say('unsubscribed')
  } else if (command === 'quit') quit()
})
lines.on('close', quit)
setTimeout(quit, 300000).unref()
client.open()
