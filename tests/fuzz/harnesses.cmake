# One line per file reader: harnesses/<name>.cpp feeds it, and corpus/<name>/
# holds the inputs the normal suite replays through it.
set(KOB_FUZZ_HARNESSES
    big_archive
    big_header
    config_text
    crcf
    devconfig
    ilbm
    input_recording
    language_text
    lkz_archive
    lkz_image
    paf
    settings_file
    settings_store
    stream_chunks
    stream_wav
    tca_model
    wav)
