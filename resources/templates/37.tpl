<!-- default row 37: written with its page kind -->
