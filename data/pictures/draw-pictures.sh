#!/bin/sh
# Draws the suite's pictures with ImageMagick. The PNG files are kept in the
# tree; run this again only to change them.
set -eu
cd "$(dirname "$0")"

# The control strip's background, 431 x 101 like the strip. It carries the
# CLEAR, REPLY and SEND buttons at their frames (8,39,81,63), (105,39,179,63),
# (205,39,274,63), with a groove under the menu bar (0,0,100,15).
convert -size 431x101 gradient:'#c8d4e4'-'#8ca0bc' \
	-fill '#7088a8' -draw 'rectangle 0,16 430,18' \
	-fill '#4a6080' -draw 'roundrectangle 4,35 279,67 6,6' \
	-fill '#e8e8e8' -draw 'rectangle 8,39 81,63' \
	-stroke '#ffffff' -draw 'line 8,39 81,39' -draw 'line 8,39 8,63' \
	-stroke '#606060' -draw 'line 8,63 81,63' -draw 'line 81,39 81,63' -stroke none \
	-fill '#e8e8e8' -draw 'rectangle 105,39 179,63' \
	-stroke '#ffffff' -draw 'line 105,39 179,39' -draw 'line 105,39 105,63' \
	-stroke '#606060' -draw 'line 105,63 179,63' -draw 'line 179,39 179,63' -stroke none \
	-fill '#e8e8e8' -draw 'rectangle 205,39 274,63' \
	-stroke '#ffffff' -draw 'line 205,39 274,39' -draw 'line 205,39 205,63' \
	-stroke '#606060' -draw 'line 205,63 274,63' -draw 'line 274,39 274,63' -stroke none \
	-fill '#4a6080' -draw 'roundrectangle 296,76 384,100 4,4' \
	-strip PNG24:skin.png

# The decoration beside the buttons, 64 x 56: a speech bubble with a tail,
# its corners transparent.
convert -size 64x56 xc:none \
	-fill '#ffcb00' -stroke '#7a5a00' -strokewidth 2 -draw 'roundrectangle 2,2 61,41 10,10' \
	-draw 'polygon 14,40 10,53 28,40' \
	-stroke none -fill '#7a5a00' -draw 'circle 18,21 21,21' -draw 'circle 32,21 35,21' \
	-draw 'circle 46,21 49,21' \
	-strip PNG32:mainjoli.png

# The start-up splash, 320 x 200.
convert -size 320x200 gradient:'#336699'-'#0c1c30' \
	-fill '#ffcb00' -stroke '#7a5a00' -strokewidth 3 -draw 'roundrectangle 40,40 280,130 24,24' \
	-draw 'polygon 80,128 66,170 128,128' \
	-stroke none -fill '#1c2c40' -font DejaVu-Sans-Bold -pointsize 40 \
	-draw "text 66,100 'Murmelo'" \
	-fill '#d8d8d8' -font DejaVu-Sans -pointsize 12 -draw "text 96,188 'LAN pop-up messenger'" \
	-strip PNG24:start.png

# The logo of the about window, 64 x 64, round with a transparent outside.
convert -size 64x64 xc:none \
	-fill '#336699' -stroke '#0c1c30' -strokewidth 2 -draw 'circle 32,32 32,3' \
	-fill '#ffcb00' -stroke none -draw 'roundrectangle 14,18 50,40 6,6' \
	-draw 'polygon 20,39 16,50 30,39' \
	-strip PNG32:trovel.png

# Menu icons of the sender and the remote control, 64 x 64: the bubble with
# an arrow going out, and with one coming in.
convert mainjoli.png -background none -gravity north -extent 64x64 \
	-fill '#336699' -stroke '#0c1c30' -strokewidth 1 \
	-draw 'polygon 36,50 50,50 50,45 62,54 50,63 50,58 36,58' \
	-strip PNG32:sendolo.png
convert mainjoli.png -background none -gravity north -extent 64x64 \
	-fill '#336699' -stroke '#0c1c30' -strokewidth 1 \
	-draw 'polygon 62,50 48,50 48,45 36,54 48,63 48,58 62,58' \
	-strip PNG32:farcall.png
