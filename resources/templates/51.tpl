<!-- default row 51: written with its page kind -->
