'use strict'
// What the module offers in Companion, as plain data: its settings, actions
// with the message each sends, feedbacks with the test each makes, variables
// and presets.
const { SLOTS, FAVOURITES } = require('./board')

const rgb = (r, g, b) => (r << 16) | (g << 8) | b
const WHITE = rgb(255, 255, 255)
const BLACK = rgb(0, 0, 0)

const DEFAULT_PORT = 9000 // the board's own default

const configFields = [
  {
    type: 'static-text',
    id: 'info',
    width: 12,
    label: 'The board',
    value:
      'Turn on Tools > Remote control... in the board. For a board on another computer, also turn on "Accept from other computers" there and let this computer in.',
  },
  { type: 'textinput', id: 'host', label: "Board's host", width: 6, default: '127.0.0.1', required: true },
  {
    type: 'number',
    id: 'port',
    label: 'OSC port',
    width: 3,
    default: DEFAULT_PORT,
    min: 1,
    max: 65535,
    required: true,
  },
  {
    type: 'number',
    id: 'feedbackPort',
    label: 'Local port for feedback (0: any free one)',
    width: 3,
    default: 0,
    min: 0,
    max: 65535,
  },
]

// A whole number in [lo, hi], or null: options may come from variables.
function whole(value, lo, hi) {
  const n = Number(value)
  return Number.isInteger(n) && n >= lo && n <= hi ? n : null
}

const slotOption = {
  type: 'number',
  id: 'slot',
  label: 'Slot (1-6 left column, 7-12 middle, 13-18 right)',
  default: 1,
  min: 1,
  max: SLOTS,
  required: true,
}
const slotMessage = (what) => (o) => {
  const slot = whole(o.slot, 1, SLOTS)
  return slot === null ? null : { address: `/clangster/slot/${slot}/${what}`, args: [] }
}

// Each action's message is { address, args } for the options given, or null
// when they name no slot, favourite or sound.
const actions = {
  play: { name: 'Play or pause slot', options: [slotOption], message: slotMessage('play') },
  stop: { name: 'Stop slot', options: [slotOption], message: slotMessage('stop') },
  play_name: {
    name: 'Play by name',
    options: [
      {
        type: 'textinput',
        id: 'name',
        label: 'Name (every slot of that name, case aside)',
        default: '',
        useVariables: true,
      },
    ],
    message: (o) => (o.name ? { address: '/clangster/name/play', args: [{ type: 's', value: String(o.name) }] } : null),
  },
  stop_all: { name: 'Stop all', options: [], message: () => ({ address: '/clangster/stopall', args: [] }) },
  fade_all: { name: 'Fade all', options: [], message: () => ({ address: '/clangster/fadeall', args: [] }) },
  favourite: {
    name: 'Open favourite',
    options: [
      { type: 'number', id: 'favourite', label: 'Favourite', default: 1, min: 1, max: FAVOURITES, required: true },
    ],
    message: (o) => {
      const n = whole(o.favourite, 1, FAVOURITES)
      return n === null ? null : { address: `/clangster/favourite/${n}`, args: [] }
    },
  },
  volume: {
    name: 'Set slot volume',
    options: [
      slotOption,
      {
        type: 'number',
        id: 'percent',
        label: 'Volume (% of the slider)',
        default: 100,
        min: 0,
        max: 100,
        range: true,
        required: true,
      },
    ],
    message: (o) => {
      const slot = whole(o.slot, 1, SLOTS)
      const percent = Number(o.percent)
      if (slot === null || !Number.isFinite(percent)) return null
      return {
        address: `/clangster/slot/${slot}/volume`,
        args: [{ type: 'f', value: Math.min(100, Math.max(0, percent)) / 100 }],
      }
    },
  },
  prelisten: { name: 'Pre-listen slot', options: [slotOption], message: slotMessage('prelisten') },
}

// One feedback per state, each with its own colour.
const STATE_STYLES = {
  playing: { label: 'playing', style: { bgcolor: rgb(0, 160, 0), color: WHITE } },
  paused: { label: 'paused', style: { bgcolor: rgb(200, 140, 0), color: BLACK } },
  fading: { label: 'fading', style: { bgcolor: rgb(230, 220, 0), color: BLACK } },
  prelistening: { label: 'pre-listening', style: { bgcolor: rgb(0, 90, 210), color: WHITE } },
  idle: { label: 'idle (loaded, not playing)', style: { bgcolor: rgb(40, 40, 40), color: WHITE } },
  empty: { label: 'empty (nothing to play)', style: { bgcolor: BLACK, color: rgb(90, 90, 90) } },
}

// Each feedback's check(board, options) says whether it holds.
const feedbacks = {}
for (const [state, { label, style }] of Object.entries(STATE_STYLES)) {
  feedbacks[state] = {
    type: 'boolean',
    name: `Slot is ${label}`,
    defaultStyle: style,
    options: [slotOption],
    check: (board, o) => board.is(o.slot, state),
  }
}
feedbacks.ends_within = {
  type: 'boolean',
  name: 'Slot ends within T seconds',
  defaultStyle: { bgcolor: rgb(220, 0, 0), color: WHITE },
  options: [
    slotOption,
    { type: 'number', id: 'seconds', label: 'T (seconds)', default: 10, min: 0, max: 3600, required: true },
    { type: 'checkbox', id: 'flash', label: 'Flash', default: true },
  ],
  check: (board, o) => board.endsWithin(o.slot, o.seconds, o.flash),
}
feedbacks.any_playing = {
  type: 'boolean',
  name: 'Any slot playing (or fading)',
  defaultStyle: { bgcolor: rgb(0, 160, 0), color: WHITE },
  options: [],
  check: (board) => board.anyPlaying(),
}
const STATE_FEEDBACKS = [...Object.keys(STATE_STYLES), 'any_playing']
const TIME_FEEDBACKS = ['ends_within']

const variables = [
  { variableId: 'scheme', name: "The scheme's name" },
  { variableId: 'connected', name: 'Whether the board answers (true or false)' },
]
for (let n = 1; n <= SLOTS; ++n) {
  variables.push(
    { variableId: `slot_${n}_name`, name: `Slot ${n}: name` },
    { variableId: `slot_${n}_state`, name: `Slot ${n}: state (playing, paused, fading, prelistening, idle, empty)` },
    { variableId: `slot_${n}_left`, name: `Slot ${n}: time left, seconds with tenths (empty when idle)` },
    { variableId: `slot_${n}_left_mss`, name: `Slot ${n}: time left, m:ss (empty when idle)` },
    { variableId: `slot_${n}_elapsed`, name: `Slot ${n}: time played, seconds with tenths` },
    { variableId: `slot_${n}_elapsed_mss`, name: `Slot ${n}: time played, m:ss` },
  )
}

// Presets name variables with the module's id; Companion puts in the connection's own label.
const key = (category, name, text, down, feedbackList = [], size = '18') => ({
  type: 'button',
  category,
  name,
  style: { text, size, color: WHITE, bgcolor: BLACK },
  steps: [{ down, up: [] }],
  feedbacks: feedbackList,
})

const presets = {}
for (let n = 1; n <= SLOTS; ++n) {
  const slot = { slot: n }
  presets[`slot_${n}`] = key(
    'Slots',
    `Slot ${n}`,
    `$(clangster:slot_${n}_name)\\n$(clangster:slot_${n}_left_mss)`,
    [{ actionId: 'play', options: slot }],
    [
      ...Object.entries(STATE_STYLES).map(([state, { style }]) => ({ feedbackId: state, options: slot, style })),
      {
        feedbackId: 'ends_within',
        options: { ...slot, seconds: 10, flash: true },
        style: feedbacks.ends_within.defaultStyle,
      },
    ],
    'auto',
  )
}
presets.stop_all = key('Board', 'Stop all', 'STOP\\nALL', [{ actionId: 'stop_all', options: {} }])
presets.fade_all = key(
  'Board',
  'Fade all',
  'FADE\\nALL',
  [{ actionId: 'fade_all', options: {} }],
  [{ feedbackId: 'any_playing', options: {}, style: feedbacks.any_playing.defaultStyle }],
)
for (let n = 1; n <= FAVOURITES; ++n) {
  presets[`favourite_${n}`] = key('Favourites', `Favourite ${n}`, `FAV\\n${n}`, [
    { actionId: 'favourite', options: { favourite: n } },
  ])
}

module.exports = { configFields, actions, feedbacks, variables, presets, STATE_FEEDBACKS, TIME_FEEDBACKS, DEFAULT_PORT }
