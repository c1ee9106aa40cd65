# Judges each key's look from raw pixels. First file: the key rectangles
# ("CODE LEFT TOP WIDTH HEIGHT", relative to the picture); second: one pixel
# per line, "R G B", row by row, W pixels a row. Prints "CODE STATE" per key.
FNR == NR {
  n++
  code[n] = $1
  # The middle half of the key: away from its rim, less of its label.
  for (y = int($3 + $5 / 4); y < $3 + $5 * 3 / 4; y++)
    for (x = int($2 + $4 / 4); x < $2 + $4 * 3 / 4; x++)
      owner[y * W + x] = n
  next
}
{
  p = FNR - 1
  if (p in owner) {
    i = owner[p]
    r[i] += $1; g[i] += $2; b[i] += $3; c[i]++
  }
}
function look(r, g, b) {
  if (r > b + 80 && g > b + 50) return "C"        # amber: chosen for learning
  if (r > g + 50 && r > b + 50) return "2"         # red: learned
  if (g > r + 40 && g > b + 30) return "1"         # green: a code from elsewhere
  if (r >= 100 && b >= r + 5 && b - r < 60) return "0" # grey-blue: no code
  return "?"
}
END {
  for (i = 1; i <= n; i++) {
    if (c[i] == 0) { print code[i], "?"; continue }
    print code[i], look(r[i] / c[i], g[i] / c[i], b[i] / c[i])
  }
}
