# The ids of the bitmap resources that corvane-art draws (art/bitmaps.cpp):
# the build declares one generated picture per id and compiles them into the
# desktop program as ":/skin/<id>.png".
set(CORVANE_BITMAP_IDS
    132 153 154 175 176 177 178 179 180 184 185 197 198 199 200 201 202
    204 205 206 208 209 211 214 215 216 217 224 236 237 240 241 242)
