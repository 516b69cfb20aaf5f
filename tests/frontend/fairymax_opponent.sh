#!/bin/sh
# pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
# SPDX-License-Identifier: GPL-3.0-or-later
# Fairy-Max as xboard's opponent. Debian's fairymax 5.0b crashes on about
# every other "computer" command, which xboard sends both engines at the start
# of an engine-engine match; the command only says the opponent is a program,
# so it is dropped here. Its other crashes depend on where its memory lands,
# so it runs without address randomisation. The interrupt xboard sends its
# engines is ignored, as fairymax itself ignores it.
trap '' INT
sed -u '/^computer[[:space:]]*$/d' | setarch -R "${FAIRYMAX:-/usr/games/fairymax}"
