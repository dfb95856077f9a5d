# One line per file reader: harnesses/<name>.cpp feeds it, and corpus/<name>/
# holds the inputs the normal suite replays through it.
set(KOB_FUZZ_HARNESSES
    big_archive
    big_header
    bmp
    config_text
    crcf
    devconfig
    font_metrics
    ilbm
    input_recording
    language_text
    lkz_archive
    lkz_image
    mad_video
    paf
    ppm
    settings_file
    settings_store
    shape_bank
    software_font
    sprite_frames
    stream_chunks
    stream_wav
    tca_model
    tga
    wav)
