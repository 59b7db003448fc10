'use strict'
// The module's line to one board: a UDP socket that sends the actions and the
// subscription from the feedback port, and turns the feedback that comes back
// into the board's state. Events:
//   'status' (state, message)   state: 'connecting', 'ok', 'down' or 'failed' (no socket)
//   'changes' ({ variables, states, times })   as BoardState reports them
const dgram = require('node:dgram')
const dns = require('node:dns')
const { EventEmitter } = require('node:events')
const osc = require('./osc')
const { BoardState } = require('./board')
const { Link, TIMES } = require('./link')

class BoardClient extends EventEmitter {
  constructor({ host, port, feedbackPort = 0, clock = Date.now, tickMs = 250, times }) {
    super()
    Object.assign(this, { host, port, feedbackPort, clock, tickMs, times })
    this.board = new BoardState()
    this.where = `${host}:${port}`
  }

  // Opens the socket and subscribes; 'status' tells how it went.
  open() {
    this.socket = dgram.createSocket('udp4')
    this.socket.on('error', (e) => this.fail(`Feedback socket: ${e.message}`))
    this.socket.on('message', (bytes, from) => this.receive(bytes, from))
    this.socket.bind(this.feedbackPort, () => this.find())
  }

  // Looks the board's host up, again every few seconds while that fails, then subscribes.
  find() {
    dns.lookup(this.host, { family: 4 }, (e, address) => {
      if (!this.socket) return
      if (e) {
        this.emit('status', 'down', `Cannot find the board's host ${this.host}: ${e.message}`)
        this.timer = setTimeout(() => this.find(), (this.times || TIMES).retryMs)
        return
      }
      // Feedback counts only from the board's own address.
      this.address = address
      this.link = new Link({
        send: (m) => this.send(m),
        status: (state) => this.linkStatus(state),
        feedbackPort: this.socket.address().port,
        times: this.times,
      })
      this.link.start(this.clock())
      this.timer = setInterval(() => this.link.tick(this.clock()), this.tickMs)
    })
  }

  // Unsubscribes and closes; the unsubscribe goes out before the socket shuts.
  close() {
    clearInterval(this.timer) // the ticks, or a look-up's retry
    const socket = this.socket
    this.socket = null
    if (!socket) return Promise.resolve()
    return new Promise((resolve) => {
      const done = () => {
        try {
          socket.close()
        } catch {
          // already closed after an error
        }
        resolve()
      }
      if (!this.link || this.link.state === 'stopped') return done()
      this.link.send = (m) => socket.send(osc.encodeMessage(m.address, m.args), this.port, this.address, done)
      this.link.stop()
    })
  }

  // Ends the subscription but keeps the socket open: what still arrives is counted, not shown.
  unsubscribe() {
    if (this.link) this.link.stop()
  }

  // Sends an action's message; false when there is no line to the board yet.
  send(message) {
    if (!this.socket || !this.address) return false
    this.socket.send(osc.encodeMessage(message.address, message.args), this.port, this.address)
    return true
  }

  receive(bytes, from) {
    if (from.address !== this.address || !this.link) return
    this.emit('datagram', bytes)
    if (this.link.state === 'stopped') return
    this.link.heard(this.clock())
    const changes = this.board.apply(osc.decode(bytes))
    if (Object.keys(changes.variables).length || changes.states || changes.times) this.emit('changes', changes)
  }

  linkStatus(state) {
    if (state === 'stopped') return
    const c = this.board.setConnected(state === 'ok')
    if (Object.keys(c.variables).length) this.emit('changes', c)
    const messages = {
      connecting: `Waiting for the board at ${this.where}`,
      ok: `Connected to ${this.where}`,
      down: `No answer from the board at ${this.where}: is it running, with remote control on at that port?`,
    }
    this.emit('status', state, messages[state])
  }

  fail(message) {
    clearInterval(this.timer)
    this.emit('status', 'failed', message)
  }
}

module.exports = { BoardClient }
