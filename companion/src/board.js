'use strict'
// What the board's feedback says, as Companion shows it: each slot's name,
// state and times, and the scheme's name, turned into text variables and
// the states boolean feedbacks test.

const SLOTS = 18
const FAVOURITES = 12
const STATES = ['playing', 'paused', 'fading', 'prelistening', 'idle', 'empty']
// A sound that moves on towards its end; a pre-listen is heard on the monitor only.
const RUNNING = new Set(['playing', 'fading', 'prelistening'])
const AUDIBLE = new Set(['playing', 'fading'])

// Seconds to the tenth as the board counts them ("12.3"), and as m:ss
// ("0:12"). The board sends tenths as 32-bit floats, 9.9 as 9.8999996: the
// margin takes them as meant.
function tenths(seconds) {
  return (Math.floor(seconds * 10 + 0.05) / 10).toFixed(1)
}
function minutesSeconds(seconds) {
  const whole = Math.floor(seconds + 0.005)
  return `${Math.floor(whole / 60)}:${String(whole % 60).padStart(2, '0')}`
}

const FEEDBACK = /^\/clangster\/slot\/(\d+)\/(name|state|remaining|elapsed)$/

class BoardState {
  constructor() {
    this.slots = Array.from({ length: SLOTS }, () => ({ name: '', state: '', remaining: null, elapsed: null }))
    this.scheme = ''
    this.connected = false
    this.shown = this.variables() // the variables as last given out
  }

  // Takes in a datagram's messages; what changed, as
  // { variables: { id: value }, states: bool, times: bool }.
  apply(messages) {
    const before = this.slots.map((s) => ({ ...s }))
    for (const { address, args } of messages) {
      const arg = args[0]
      const text = arg && (arg.type === 's' || arg.type === 'S') ? arg.value : null
      const number = arg && typeof arg.value === 'number' && Number.isFinite(arg.value) ? arg.value : null
      if (address === '/clangster/scheme') {
        if (text !== null) this.scheme = text
        continue
      }
      const m = FEEDBACK.exec(address)
      const slot = m && this.slots[Number(m[1]) - 1]
      if (!slot) continue
      const field = m[2]
      if ((field === 'name' || field === 'state') && text !== null) slot[field] = text
      if ((field === 'remaining' || field === 'elapsed') && number !== null) slot[field] = Math.max(0, number)
    }
    return this.changes(before)
  }

  // Whether the board answers; once it stops, no slot's state or times are known.
  setConnected(connected) {
    const before = this.slots.map((s) => ({ ...s }))
    this.connected = connected
    if (!connected) for (const s of this.slots) Object.assign(s, { state: '', remaining: null, elapsed: null })
    return this.changes(before)
  }

  changes(before) {
    const variables = {}
    for (const [id, value] of Object.entries(this.variables())) {
      if (this.shown[id] !== value) variables[id] = value
    }
    Object.assign(this.shown, variables)
    return {
      variables,
      states: this.slots.some((s, i) => s.state !== before[i].state),
      times: this.slots.some((s, i) => s.remaining !== before[i].remaining),
    }
  }

  // Every variable's value.
  variables() {
    const v = { scheme: this.scheme, connected: this.connected }
    this.slots.forEach((s, i) => {
      const at = `slot_${i + 1}_`
      const timed = s.state !== '' && s.state !== 'empty'
      const left = timed && s.state !== 'idle' && s.remaining !== null
      const elapsed = timed && s.elapsed !== null
      v[at + 'name'] = s.name
      v[at + 'state'] = s.state
      v[at + 'left'] = left ? tenths(s.remaining) : ''
      v[at + 'left_mss'] = left ? minutesSeconds(s.remaining) : ''
      v[at + 'elapsed'] = elapsed ? tenths(s.elapsed) : ''
      v[at + 'elapsed_mss'] = elapsed ? minutesSeconds(s.elapsed) : ''
    })
    return v
  }

  slot(n) {
    return this.slots[Number(n) - 1]
  }

  is(n, state) {
    const s = this.slot(n)
    return !!s && s.state === state
  }

  // Running with at most `seconds` left; with `flash`, only in every other
  // half second of them, so that the key blinks as the time runs out.
  endsWithin(n, seconds, flash) {
    const s = this.slot(n)
    if (!s || !RUNNING.has(s.state) || s.remaining === null || s.remaining > Number(seconds)) return false
    return !flash || Math.floor(s.remaining * 2 + 1e-6) % 2 === 0
  }

  anyPlaying() {
    return this.slots.some((s) => AUDIBLE.has(s.state))
  }
}

module.exports = { BoardState, SLOTS, FAVOURITES, STATES, tenths, minutesSeconds }
