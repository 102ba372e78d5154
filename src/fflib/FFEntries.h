// The list of every FFmpeg (and C library) function the program calls, one line per entry.
//
// FF_ENTRY(library slot, function name). The loader binds each by name when its library loads;
// the program calls them as FF.name(...). Adding a function is one line here. Keep the lines of
// one library together, sorted by name.
#pragma once

#define FF_ENTRIES(FF_ENTRY)                         \
  /* libavcodec */                                   \
  FF_ENTRY(avCodec, av_bsf_alloc)                           \
  FF_ENTRY(avCodec, av_bsf_free)                            \
  FF_ENTRY(avCodec, av_bsf_get_by_name)                     \
  FF_ENTRY(avCodec, av_bsf_init)                            \
  FF_ENTRY(avCodec, av_codec_is_encoder)                    \
  FF_ENTRY(avCodec, av_codec_iterate)                       \
  FF_ENTRY(avCodec, av_packet_alloc)                        \
  FF_ENTRY(avCodec, av_packet_free)                         \
  FF_ENTRY(avCodec, av_packet_rescale_ts)                   \
  FF_ENTRY(avCodec, av_packet_unref)                        \
  FF_ENTRY(avCodec, avcodec_alloc_context3)                 \
  FF_ENTRY(avCodec, avcodec_close)                          \
  FF_ENTRY(avCodec, avcodec_descriptor_get)                 \
  FF_ENTRY(avCodec, avcodec_find_decoder)                   \
  FF_ENTRY(avCodec, avcodec_find_decoder_by_name)           \
  FF_ENTRY(avCodec, avcodec_find_encoder)                   \
  FF_ENTRY(avCodec, avcodec_find_encoder_by_name)           \
  FF_ENTRY(avCodec, avcodec_free_context)                   \
  FF_ENTRY(avCodec, avcodec_get_class)                      \
  FF_ENTRY(avCodec, avcodec_open2)                          \
  FF_ENTRY(avCodec, avcodec_parameters_copy)                \
  FF_ENTRY(avCodec, avcodec_parameters_from_context)        \
  FF_ENTRY(avCodec, avcodec_parameters_to_context)          \
  FF_ENTRY(avCodec, avcodec_receive_frame)                  \
  FF_ENTRY(avCodec, avcodec_receive_packet)                 \
  FF_ENTRY(avCodec, avcodec_send_frame)                     \
  FF_ENTRY(avCodec, avcodec_send_packet)                    \
  FF_ENTRY(avCodec, avcodec_string)                         \
  FF_ENTRY(avCodec, avcodec_version)                        \
  /* libavdevice */                                  \
  FF_ENTRY(avDevice, avdevice_register_all)                 \
  FF_ENTRY(avDevice, avdevice_version)                      \
  /* libavfilter */                                  \
  FF_ENTRY(avFilter, av_buffersink_get_h)                   \
  FF_ENTRY(avFilter, av_buffersink_get_sample_aspect_ratio) \
  FF_ENTRY(avFilter, av_buffersink_get_w)                   \
  FF_ENTRY(avFilter, avfilter_get_by_name)                  \
  FF_ENTRY(avFilter, avfilter_graph_alloc)                  \
  FF_ENTRY(avFilter, avfilter_graph_alloc_filter)           \
  FF_ENTRY(avFilter, avfilter_graph_config)                 \
  FF_ENTRY(avFilter, avfilter_graph_create_filter)          \
  FF_ENTRY(avFilter, avfilter_graph_free)                   \
  FF_ENTRY(avFilter, avfilter_graph_parse_ptr)              \
  FF_ENTRY(avFilter, avfilter_init_str)                     \
  FF_ENTRY(avFilter, avfilter_inout_alloc)                  \
  FF_ENTRY(avFilter, avfilter_inout_free)                   \
  FF_ENTRY(avFilter, avfilter_link)                         \
  FF_ENTRY(avFilter, avfilter_version)                      \
  /* libavformat */                                  \
  FF_ENTRY(avFormat, av_codec_get_id)                       \
  FF_ENTRY(avFormat, av_codec_get_tag2)                     \
  FF_ENTRY(avFormat, av_dump_format)                        \
  FF_ENTRY(avFormat, av_filename_number_test)               \
  FF_ENTRY(avFormat, av_find_input_format)                  \
  FF_ENTRY(avFormat, av_guess_codec)                        \
  FF_ENTRY(avFormat, av_interleaved_write_frame)            \
  FF_ENTRY(avFormat, av_read_frame)                         \
  FF_ENTRY(avFormat, av_sdp_create)                         \
  FF_ENTRY(avFormat, av_write_trailer)                      \
  FF_ENTRY(avFormat, avformat_alloc_context)                \
  FF_ENTRY(avFormat, avformat_alloc_output_context2)        \
  FF_ENTRY(avFormat, avformat_close_input)                  \
  FF_ENTRY(avFormat, avformat_find_stream_info)             \
  FF_ENTRY(avFormat, avformat_free_context)                 \
  FF_ENTRY(avFormat, avformat_get_class)                    \
  FF_ENTRY(avFormat, avformat_new_stream)                   \
  FF_ENTRY(avFormat, avformat_open_input)                   \
  FF_ENTRY(avFormat, avformat_seek_file)                    \
  FF_ENTRY(avFormat, avformat_version)                      \
  FF_ENTRY(avFormat, avformat_write_header)                 \
  FF_ENTRY(avFormat, avio_alloc_context)                    \
  FF_ENTRY(avFormat, avio_closep)                           \
  FF_ENTRY(avFormat, avio_context_free)                     \
  FF_ENTRY(avFormat, avio_flush)                            \
  FF_ENTRY(avFormat, avio_open2)                            \
  FF_ENTRY(avFormat, avio_read)                             \
  FF_ENTRY(avFormat, avio_seek)                             \
  FF_ENTRY(avFormat, avio_size)                             \
  FF_ENTRY(avFormat, avio_write)                            \
  /* libavutil */                                    \
  FF_ENTRY(avUtil, av_audio_fifo_alloc)                     \
  FF_ENTRY(avUtil, av_audio_fifo_free)                      \
  FF_ENTRY(avUtil, av_channel_layout_copy)                  \
  FF_ENTRY(avUtil, av_channel_layout_default)               \
  FF_ENTRY(avUtil, av_channel_layout_describe)              \
  FF_ENTRY(avUtil, av_channel_layout_from_mask)             \
  FF_ENTRY(avUtil, av_channel_layout_uninit)                \
  FF_ENTRY(avUtil, av_d2q)                                  \
  FF_ENTRY(avUtil, av_dict_copy)                            \
  FF_ENTRY(avUtil, av_dict_free)                            \
  FF_ENTRY(avUtil, av_dict_get)                             \
  FF_ENTRY(avUtil, av_dict_set)                             \
  FF_ENTRY(avUtil, av_dynarray_add_nofree)                  \
  FF_ENTRY(avUtil, av_find_nearest_q_idx)                   \
  FF_ENTRY(avUtil, av_frame_alloc)                          \
  FF_ENTRY(avUtil, av_frame_free)                           \
  FF_ENTRY(avUtil, av_frame_get_buffer)                     \
  FF_ENTRY(avUtil, av_frame_make_writable)                  \
  FF_ENTRY(avUtil, av_free)                                 \
  FF_ENTRY(avUtil, av_freep)                                \
  FF_ENTRY(avUtil, av_gcd)                                  \
  FF_ENTRY(avUtil, av_get_bytes_per_sample)                 \
  FF_ENTRY(avUtil, av_get_pix_fmt)                          \
  FF_ENTRY(avUtil, av_get_pix_fmt_name)                     \
  FF_ENTRY(avUtil, av_get_pix_fmt_string)                   \
  FF_ENTRY(avUtil, av_get_sample_fmt)                       \
  FF_ENTRY(avUtil, av_get_sample_fmt_name)                  \
  FF_ENTRY(avUtil, av_get_sample_fmt_string)                \
  FF_ENTRY(avUtil, av_gettime)                              \
  FF_ENTRY(avUtil, av_log)                                  \
  FF_ENTRY(avUtil, av_log_get_level)                        \
  FF_ENTRY(avUtil, av_log_set_callback)                     \
  FF_ENTRY(avUtil, av_log_set_level)                        \
  FF_ENTRY(avUtil, av_malloc)                               \
  FF_ENTRY(avUtil, av_mallocz)                              \
  FF_ENTRY(avUtil, av_opt_child_class_iterate)              \
  FF_ENTRY(avUtil, av_opt_find)                             \
  FF_ENTRY(avUtil, av_opt_find2)                            \
  FF_ENTRY(avUtil, av_opt_get)                              \
  FF_ENTRY(avUtil, av_opt_get_int)                          \
  FF_ENTRY(avUtil, av_opt_set)                              \
  FF_ENTRY(avUtil, av_opt_set_bin)                          \
  FF_ENTRY(avUtil, av_opt_set_int)                          \
  FF_ENTRY(avUtil, av_parse_time)                           \
  FF_ENTRY(avUtil, av_parse_video_rate)                     \
  FF_ENTRY(avUtil, av_parse_video_size)                     \
  FF_ENTRY(avUtil, av_pix_fmt_desc_get_id)                  \
  FF_ENTRY(avUtil, av_pix_fmt_desc_next)                    \
  FF_ENTRY(avUtil, av_reduce)                               \
  FF_ENTRY(avUtil, av_rescale_q)                            \
  FF_ENTRY(avUtil, av_strdup)                               \
  FF_ENTRY(avUtil, av_strerror)                             \
  FF_ENTRY(avUtil, avutil_version)                          \
  /* libswresample */                                \
  FF_ENTRY(swResample, swr_alloc_set_opts2)                 \
  FF_ENTRY(swResample, swr_convert)                         \
  FF_ENTRY(swResample, swr_free)                            \
  FF_ENTRY(swResample, swr_init)                            \
  FF_ENTRY(swResample, swresample_version)                  \
  /* libswscale */                                   \
  FF_ENTRY(swScale, sws_freeContext)                        \
  FF_ENTRY(swScale, sws_getContext)                         \
  FF_ENTRY(swScale, sws_get_class)                          \
  FF_ENTRY(swScale, sws_scale)                              \
  FF_ENTRY(swScale, swscale_version)                        \
  /* the C library */                                \
  FF_ENTRY(myUtil, strtod)                                  \
  FF_ENTRY(myUtil, strtol)                                  \
  FF_ENTRY(myUtil, vsnprintf)
