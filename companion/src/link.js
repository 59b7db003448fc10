'use strict'
// The subscription to the board's feedback, on a clock the caller gives:
// subscribe at the start, renew well inside the board's minute, tell whether
// the board answers, and unsubscribe at the end. Every subscribe makes the
// board send everything again, so an answer to each one is expected; without
// one the link is down and tries again every few seconds.

const TIMES = {
  renewMs: 15000, // the board keeps a subscription for 60 s
  answerMs: 3000, // how long a subscribe may wait for its answer
  retryMs: 3000, // between subscribes while the board does not answer
}

class Link {
  // send(message) sends { address, args }; status(state) hears 'connecting', 'ok' or 'down'.
  constructor({ send, status, feedbackPort, times = TIMES }) {
    this.send = send
    this.status = status
    this.feedbackPort = feedbackPort
    this.times = times
    this.state = 'stopped'
  }

  start(now) {
    this.setState('connecting')
    this.subscribe(now)
  }

  // Feedback came in: the board answers.
  heard(now) {
    if (this.state === 'stopped') return
    this.lastHeard = now
    this.setState('ok')
  }

  // Called often (a few times a second): renews, retries, and notices silence.
  tick(now) {
    if (this.state === 'stopped') return
    const answered = this.lastHeard !== undefined && this.lastHeard >= this.subscribedAt
    if (!answered && now - this.subscribedAt >= this.times.answerMs) this.setState('down')
    const every = this.state === 'ok' ? this.times.renewMs : this.times.retryMs
    if (now - this.subscribedAt >= every) this.subscribe(now)
  }

  stop() {
    if (this.state === 'stopped') return
    this.send({ address: '/clangster/unsubscribe', args: [{ type: 'i', value: this.feedbackPort }] })
    this.setState('stopped')
  }

  subscribe(now) {
    this.subscribedAt = now
    this.send({ address: '/clangster/subscribe', args: [{ type: 'i', value: this.feedbackPort }] })
  }

  setState(state) {
    if (state === this.state) return
    this.state = state
    this.status(state)
  }
}

module.exports = { Link, TIMES }
