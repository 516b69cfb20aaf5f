// pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
// SPDX-License-Identifier: GPL-3.0-or-later
// The page: a person plays pelmok, which runs in a Web Worker. chess.js
// keeps the game and its legal moves, chessground draws the board.
import { Chessground } from 'chessground';
import { Chess, DEFAULT_POSITION } from 'chess.js';
import { Engine } from './engine.js';

const PIECE_NAMES = { q: 'queen', r: 'rook', b: 'bishop', n: 'knight' };
const RESULT_TEXT = {
    checkmate: (winner) => `Checkmate: ${winner} wins`,
    stalemate: () => 'Stalemate: a draw',
    repetition: () => 'Draw by threefold repetition',
    fifty: () => 'Draw by the fifty-move rule',
    material: () => 'Draw: neither side can mate',
};

const element = (id) => document.getElementById(id);
const params = new URLSearchParams(location.search);

// The game: where it started, the moves played (UCI) and chess.js's view.
const game = {
    start_fen: params.get('fen') || DEFAULT_POSITION,
    moves: [],
    chess: null,
    player: 'white',
    result: null,
    info: null,
    searching_fen: null,
};

const engine = new Engine(params.get('engine') || 'pelmok.js');
let board = null;

function colour_name(turn) {
    return turn === 'w' ? 'white' : 'black';
}

function legal_destinations() {
    const dests = new Map();
    for (const move of game.chess.moves({ verbose: true })) {
        if (!dests.has(move.from)) dests.set(move.from, []);
        dests.get(move.from).push(move.to);
    }
    return dests;
}

function player_to_move() {
    return !game.result && colour_name(game.chess.turn()) === game.player;
}

function game_result() {
    const chess = game.chess;
    if (chess.isCheckmate()) {
        const winner = chess.turn() === 'w' ? 'Black' : 'White';
        return { text: RESULT_TEXT.checkmate(winner), score: winner === 'White' ? '1-0' : '0-1' };
    }
    if (chess.isStalemate()) return { text: RESULT_TEXT.stalemate(), score: '1/2-1/2' };
    if (chess.isThreefoldRepetition()) return { text: RESULT_TEXT.repetition(), score: '1/2-1/2' };
    if (chess.isDrawByFiftyMoves()) return { text: RESULT_TEXT.fifty(), score: '1/2-1/2' };
    if (chess.isInsufficientMaterial()) return { text: RESULT_TEXT.material(), score: '1/2-1/2' };
    return null;
}

// Redraws the board, the move list and the status from the game.
function show() {
    const chess = game.chess;
    const history = chess.history({ verbose: true });
    const last = history[history.length - 1];
    board.set({
        fen: chess.fen(),
        orientation: game.player,
        turnColor: colour_name(chess.turn()),
        check: chess.inCheck(),
        lastMove: last ? [last.from, last.to] : undefined,
        movable: {
            free: false,
            color: player_to_move() ? game.player : undefined,
            dests: player_to_move() ? legal_destinations() : new Map(),
        },
    });
    const list = element('moves');
    list.replaceChildren();
    const first_black = game.start_fen.split(' ')[1] === 'b';
    let number = Number(game.start_fen.split(' ')[5]) || 1;
    let row = null;
    history.forEach((move, index) => {
        const white_move = move.color === 'w';
        if (white_move || row === null) {
            row = document.createElement('li');
            row.value = number;
            list.append(row);
            if (!white_move && index === 0 && first_black) row.append(span('…', 'san'));
        }
        row.append(span(move.san, 'san'));
        if (!white_move) number++;
    });
    list.scrollTop = list.scrollHeight;
    let status;
    if (game.result) status = `${game.result.text} (${game.result.score})`;
    else if (player_to_move()) status = `Your move${chess.inCheck() ? ': check' : ''}`;
    else status = 'pelmok is thinking…';
    element('status').textContent = status;
    element('status').classList.toggle('over', !!game.result);
    element('takeback').disabled = history.length === 0;
    element('movenow').disabled = !engine.thinking;
}

function span(text, class_name) {
    const node = document.createElement('span');
    node.className = class_name;
    node.textContent = text;
    return node;
}

function show_thinking() {
    const info = game.info;
    if (!info) {
        for (const id of ['depth', 'score', 'nodes', 'nps', 'pv']) element(id).textContent = '';
        return;
    }
    // Scores shown from White's side, as boards show them.
    const sign = colour_name(new Chess(game.searching_fen).turn()) === 'white' ? 1 : -1;
    if (info.score) {
        if (info.score.mate !== undefined) element('score').textContent = `#${sign * info.score.mate}`;
        else {
            const pawns = (sign * info.score.cp) / 100;
            element('score').textContent = (pawns > 0 ? '+' : '') + pawns.toFixed(2);
        }
    }
    if (info.depth !== undefined) element('depth').textContent = info.depth;
    if (info.nodes !== undefined) element('nodes').textContent = info.nodes.toLocaleString('en');
    if (info.nps !== undefined) element('nps').textContent = info.nps.toLocaleString('en');
    if (info.pv) {
        const line = new Chess(game.searching_fen);
        const sans = [];
        for (const uci of info.pv) {
            try {
                sans.push(line.move(uci_move(uci)).san);
            } catch {
                break;
            }
        }
        element('pv').textContent = sans.join(' ');
    }
}

function uci_move(uci) {
    return { from: uci.slice(0, 2), to: uci.slice(2, 4), promotion: uci[4] };
}

// Plays a legal move (from, to, promotion letter) and goes on with the game.
function play(move) {
    const played = game.chess.move(move);
    game.moves.push(played.lan);
    game.result = game_result();
    show();
    if (!game.result && !player_to_move()) engine_move();
}

async function engine_move() {
    game.info = null;
    game.searching_fen = game.chess.fen();
    show_thinking();
    const from_start = game.start_fen === DEFAULT_POSITION;
    const answer = engine.search(from_start ? null : game.start_fen, game.moves, `movetime ${element('movetime').value}`);
    show();
    const best = await answer;
    if (!best) return; // cancelled: a take-back or a new game
    if (!game.info) element('pv').textContent = '(a book move)';
    try {
        play(uci_move(best.move));
    } catch {
        element('status').textContent = `pelmok answered ${best.move}, which is not legal here`;
    }
}

// The person's move on the board; a pawn reaching the last rank asks first.
async function board_move(from, to) {
    const candidates = game.chess.moves({ verbose: true }).filter((m) => m.from === from && m.to === to);
    if (candidates.length === 0) return show();
    let promotion;
    if (candidates[0].promotion) promotion = await choose_promotion();
    if (promotion === null) return show();
    play({ from, to, promotion });
}

function choose_promotion() {
    const dialog = element('promotion');
    for (const button of dialog.querySelectorAll('button[data-piece]')) {
        button.classList.toggle('black', game.player === 'black');
    }
    return new Promise((resolve) => {
        dialog.onclick = (event) => {
            const button = event.target.closest('button');
            if (!button) return;
            dialog.close();
            resolve(button.dataset.piece || null);
        };
        dialog.oncancel = () => resolve(null);
        dialog.showModal();
    });
}

async function new_game() {
    engine.cancel();
    game.chess = new Chess(game.start_fen);
    game.moves = [];
    game.result = game_result();
    game.player = element('colour').value;
    game.info = null;
    show_thinking();
    apply_strength();
    engine.send('ucinewgame');
    await engine.ready();
    show();
    if (!game.result && !player_to_move()) engine_move();
}

// Back to the person's last turn: one or two half-moves.
function take_back() {
    engine.cancel();
    do {
        if (!game.chess.undo()) break;
        game.moves.pop();
    } while (!player_to_move() && game.moves.length > 0);
    game.result = null;
    game.info = null;
    show_thinking();
    show();
    if (!player_to_move()) engine_move();
}

// UCI_Elo with UCI_LimitStrength, shown when the engine offers both.
function setup_strength() {
    const elo = engine.options.get('UCI_Elo');
    const limit = engine.options.get('UCI_LimitStrength');
    if (!elo || !limit || elo.type !== 'spin') return;
    const slider = element('elo');
    slider.min = elo.min;
    slider.max = elo.max;
    slider.value = elo.default;
    element('limit').checked = limit.default === true;
    element('strength').hidden = false;
    const update = () => {
        element('elo-value').textContent = slider.value;
        slider.disabled = !element('limit').checked;
    };
    slider.oninput = update;
    slider.onchange = apply_strength;
    element('limit').onchange = () => {
        update();
        apply_strength();
    };
    update();
}

function apply_strength() {
    if (element('strength').hidden) return;
    engine.set_option('UCI_LimitStrength', element('limit').checked);
    if (element('limit').checked) engine.set_option('UCI_Elo', element('elo').value);
}

async function main() {
    board = Chessground(element('board'), {
        movable: { free: false, showDests: true, events: { after: board_move } },
        premovable: { enabled: false },
        animation: { duration: 150 },
    });
    element('newgame').onclick = new_game;
    element('colour').onchange = new_game;
    element('takeback').onclick = take_back;
    element('movenow').onclick = () => engine.stop();
    engine.on_info = (info) => {
        game.info = { ...game.info, ...info };
        show_thinking();
    };
    element('status').textContent = 'Starting pelmok…';
    try {
        await engine.start();
    } catch (error) {
        const hint = self.crossOriginIsolated ? '' : ' (its threads need the page served with the headers COOP: same-origin and COEP: require-corp)';
        element('status').textContent = `pelmok did not start: ${error.message}${hint}`;
        throw error;
    }
    element('engine-name').textContent = engine.name;
    setup_strength();
    await new_game();
}

// For the tests and the console: the game as the page holds it.
window.pelmok_page = {
    engine,
    state: () => ({
        fen: game.chess && game.chess.fen(),
        start_fen: game.start_fen,
        moves: [...game.moves],
        player: game.player,
        result: game.result,
        thinking: engine.thinking,
        uciok_ms: engine.uciok_ms,
    }),
    ready: main(),
};
